#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace zq::ui {

// A small grid of texts under titled columns, for the lists (units, declarations). Read-only unless told.
class StringTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringTableModel(QStringList titles, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void setEditable(bool on) { m_editable = on; }
    void setAlignment(int column, Qt::Alignment a);

    const QStringList& row(int r) const { return m_rows[r]; }
    QString text(int r, int c) const { return m_rows[r].value(c); }
    void setText(int r, int c, const QString& text);
    void setRows(QList<QStringList> rows);
    int appendRow(const QStringList& cells = {});
    void removeRow(int r);
    // The first row whose column holds exactly this text, or -1.
    int find(int column, const QString& text) const;

private:
    QStringList m_titles;
    QList<QStringList> m_rows;
    QList<Qt::Alignment> m_alignment;
    bool m_editable = false;
};

} // namespace zq::ui
