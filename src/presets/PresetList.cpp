#include "presets/PresetList.h"

#include "presets/PresetTable.h"

#include <QApplication>
#include <QListView>
#include <QProxyStyle>
#include <QStyleFactory>

#include <algorithm>

namespace {

// A list that drops down below itself, ten rows at a time. Where the style would lay the popup over the list instead
// (Fusion does), Qt measures the width of every entry and the height of every row first: a quarter of a second with
// a full table, on the GUI thread, each time the list opens.
class DropDownStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        return hint == SH_ComboBox_Popup ? 0 : QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

PresetListModel::PresetListModel(const PresetTable& table, QObject* parent) : QAbstractListModel(parent), m_table(table)
{}

int PresetListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant PresetListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const qint16 position = m_rows[size_t(index.row())];
    // While an entry goes, its position may already lie past the table's end.
    return position < m_table.PresetCount() ? m_table.presetName(position) : QString();
}

void PresetListModel::reset(std::vector<qint16> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void PresetListModel::insert(int row, qint16 position)
{
    beginInsertRows({}, row, row);
    m_rows.insert(m_rows.begin() + row, position);
    endInsertRows();
}

int PresetListModel::remove(qint16 position)
{
    const auto found = std::find(m_rows.begin(), m_rows.end(), position);
    if (found == m_rows.end())
        return -1;
    const int row = int(found - m_rows.begin());
    // The entries after it in the table have moved up; the names shown stay right while the row goes.
    for (qint16& p : m_rows) {
        if (p > position)
            --p;
    }
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return row;
}

PresetList::PresetList(const PresetTable& table, QWidget* parent)
    : QComboBox(parent), m_entries(new PresetListModel(table, this))
{
    setModel(m_entries);
    auto* style = new DropDownStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(this);
    setStyle(style);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* rows = qobject_cast<QListView*>(view()))
        rows->setUniformItemSizes(true);
}

void PresetList::showPopup()
{
    if (count() > 0)
        QComboBox::showPopup();
}
