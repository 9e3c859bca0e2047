#include "StringTableModel.h"

namespace zq::ui {

StringTableModel::StringTableModel(QStringList titles, QObject* parent)
    : QAbstractTableModel(parent), m_titles(std::move(titles))
{
    m_alignment.fill(Qt::AlignLeft | Qt::AlignVCenter, m_titles.size());
}

int StringTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int StringTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_titles.size());
}

QVariant StringTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(m_alignment.value(index.column()));
    return {};
}

QVariant StringTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_titles.size())
        return m_titles[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags StringTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable)
        f |= Qt::ItemIsEditable;
    return f;
}

bool StringTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setText(index.row(), index.column(), value.toString());
    return true;
}

void StringTableModel::setAlignment(int column, Qt::Alignment a)
{
    if (column >= 0 && column < m_alignment.size())
        m_alignment[column] = a;
}

void StringTableModel::setText(int r, int c, const QString& text)
{
    QStringList& row = m_rows[r];
    while (row.size() <= c)
        row << QString();
    if (row[c] == text)
        return;
    row[c] = text;
    emit dataChanged(index(r, c), index(r, c));
}

void StringTableModel::setRows(QList<QStringList> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int StringTableModel::appendRow(const QStringList& cells)
{
    const int r = int(m_rows.size());
    beginInsertRows({}, r, r);
    m_rows << cells;
    endInsertRows();
    return r;
}

void StringTableModel::removeRow(int r)
{
    beginRemoveRows({}, r, r);
    m_rows.removeAt(r);
    endRemoveRows();
}

int StringTableModel::find(int column, const QString& text) const
{
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].value(column) == text)
            return r;
    return -1;
}

} // namespace zq::ui
