#pragma once

#include "declarations/DeclarationDocument.h"

#include <QAbstractTableModel>
#include <functional>

namespace zq::ui {

// The detail grid of the declaration editor over its document. Every change to a cell, by the user or by the
// program, goes through here so the view and the editor hear of it.
class DeclarationTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DeclarationTableModel(DeclarationDocument* doc, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A user's edit: stores the text and then reports cellEdited.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Changes made by the program.
    void setCellText(int row, int column, const QString& text);
    void appendRow();
    void insertRow(int row);
    void removeRow(int row);
    void renumber(int from);
    // Changes the document wholesale (load, import, validation's tidying) inside a model reset.
    void rebuild(const std::function<void()>& change);

signals:
    // A cell edit by the user ended with this text stored (rows and columns of the grid, 0-based rows).
    void cellEdited(int row, int column);
    // Any cell or the set of rows changed.
    void contentChanged();

private:
    DeclarationDocument* m_doc;
};

} // namespace zq::ui
