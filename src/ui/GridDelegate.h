#pragma once

#include "GridColumn.h"

#include <QPointer>
#include <QStyledItemDelegate>

class QComboBox;

namespace zq::ui {

// Cell editors chosen by the column: a line edit limited in length, a numeric line edit behind the key
// filter, or an editable drop-down of codes. Enter ends the edit and moves on like Tab.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(const GridColumns* columns, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // The editor open right now, if any.
    QWidget* openEditor() const { return m_open; }

    // What an edited drop-down stores: the picked entry's code, or the typed text as it stands.
    static QString comboValue(const QComboBox* combo);

protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    const GridColumns* m_columns;
    mutable QPointer<QWidget> m_open;
};

} // namespace zq::ui
