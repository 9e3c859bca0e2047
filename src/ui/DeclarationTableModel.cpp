#include "DeclarationTableModel.h"

#include <QGuiApplication>
#include <QPalette>

namespace zq::ui {

DeclarationTableModel::DeclarationTableModel(DeclarationDocument* doc, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc)
{
}

int DeclarationTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_doc->rowCount();
}

int DeclarationTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : DetailColumnCount;
}

QVariant DeclarationTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return m_doc->displayText(index.row(), c);
    case Qt::EditRole:
        return m_doc->cellText(index.row(), c);
    case Qt::TextAlignmentRole:
        return int((c >= ColInComeM ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (c == ColRowNo)
            return QGuiApplication::palette().button();
        return {};
    default:
        return {};
    }
}

QVariant DeclarationTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < DetailColumnCount)
        return DeclarationDocument::columnTitle(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DeclarationTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == ColRowNo)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool DeclarationTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() == ColRowNo)
        return false;
    const QString before = m_doc->cellText(index.row(), index.column());
    if (!m_doc->setCellText(index.row(), index.column(), value.toString()))
        m_doc->setCellText(index.row(), index.column(), before); // not a number: the cell keeps its value
    if (m_doc->cellText(index.row(), index.column()) != before) {
        emit dataChanged(index, index);
        emit contentChanged();
    }
    emit cellEdited(index.row(), index.column());
    return true;
}

void DeclarationTableModel::setCellText(int row, int column, const QString& text)
{
    const QString before = m_doc->cellText(row, column);
    m_doc->setCellText(row, column, text);
    if (m_doc->cellText(row, column) != before) {
        const QModelIndex idx = index(row, column);
        emit dataChanged(idx, idx);
        emit contentChanged();
    }
}

void DeclarationTableModel::appendRow()
{
    const int r = m_doc->rowCount();
    beginInsertRows({}, r, r);
    m_doc->appendRow();
    endInsertRows();
    emit contentChanged();
}

void DeclarationTableModel::insertRow(int row)
{
    beginInsertRows({}, row, row);
    m_doc->rows().insert(row, DetailRow());
    endInsertRows();
    renumber(row);
    emit contentChanged();
}

void DeclarationTableModel::removeRow(int row)
{
    beginRemoveRows({}, row, row);
    m_doc->rows().remove(row);
    endRemoveRows();
    renumber(row);
    emit contentChanged();
}

void DeclarationTableModel::renumber(int from)
{
    if (from >= m_doc->rowCount())
        return;
    m_doc->renumber(from);
    emit dataChanged(index(from, ColRowNo), index(m_doc->rowCount() - 1, ColRowNo));
}

void DeclarationTableModel::rebuild(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
    emit contentChanged();
}

} // namespace zq::ui
