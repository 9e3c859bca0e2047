#include "GridDelegate.h"

#include "KeyFilters.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>

namespace zq::ui {

GridDelegate::GridDelegate(const GridColumns* columns, QObject* parent)
    : QStyledItemDelegate(parent), m_columns(columns)
{
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    if (index.column() >= m_columns->size())
        return QStyledItemDelegate::createEditor(parent, option, index);
    const GridColumn& col = m_columns->at(index.column());
    QWidget* editor = nullptr;
    if (col.codes) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (qsizetype i = 0; i < col.codes->size(); ++i)
            combo->addItem(col.codes->shown(i), col.codes->codes[i]);
        // The list opens as wide as its longest entry, not only as wide as the cell.
        combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) +
                                       combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
        // No inline completion: Enter stores what was typed, never a code the completion ran on to.
        combo->setCompleter(nullptr);
        if (col.maxLength > 0)
            installLengthFilter(combo->lineEdit(), col.maxLength);
        combo->lineEdit()->installEventFilter(const_cast<GridDelegate*>(this));
        editor = combo;
    } else {
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        edit->setAlignment(col.alignment);
        // The limit is the key filter's, not setMaxLength's: that would cut a longer stored value as soon as
        // the editor opens on it.
        if (col.maxLength > 0)
            installLengthFilter(edit, col.maxLength);
        if (col.numeric)
            installNumericFilter(edit, col.maxIntDigits, col.decimals, col.format);
        editor = edit;
    }
    m_open = editor;
    return editor;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(-1);
        combo->setEditText(text);
        combo->lineEdit()->selectAll();
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(text);
        edit->selectAll();
    }
}

QString GridDelegate::comboValue(const QComboBox* combo)
{
    // An entry picked from the list stores its code; anything else is kept exactly as typed.
    const QString shown = combo->currentText();
    int i = combo->currentIndex();
    if (i < 0 || combo->itemText(i) != shown)
        i = combo->findText(shown, Qt::MatchExactly);
    return i >= 0 ? combo->itemData(i).toString() : shown;
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, comboValue(combo), Qt::EditRole);
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        model->setData(index, edit->text(), Qt::EditRole);
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
    }
}

void GridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (m_open == editor)
        m_open = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QWidget* editor = m_open ? m_open.data() : qobject_cast<QWidget*>(object);
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::EditNextItem);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace zq::ui
