// The presets window's list of names: the table's presets, sorted, in a list that drops down.
#pragma once

#include <QAbstractListModel>
#include <QComboBox>

#include <vector>

class PresetTable;

// The list's entries: the table's positions in sorted order. The names stay in the table, read when shown.
class PresetListModel : public QAbstractListModel
{
public:
    PresetListModel(const PresetTable& table, QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void reset(std::vector<qint16> rows);
    void insert(int row, qint16 position);
    // Takes out the entry of a position the table has just removed, and returns its row; -1 when there was none.
    int remove(qint16 position);

private:
    const PresetTable& m_table;
    std::vector<qint16> m_rows;
};

// A full table is 32,767 names: the list holds table positions, filled in one go, and neither the list's size nor its
// popup's rows are worked out by measuring every name (the list has a fixed size anyway). The list without presets is
// locked: it keeps its place in the tab order, so that Enter there presses the default button as anywhere else
// outside a button, but it cannot be opened.
class PresetList : public QComboBox
{
public:
    PresetList(const PresetTable& table, QWidget* parent);
    PresetListModel& entries() { return *m_entries; }
    void showPopup() override;

private:
    PresetListModel* m_entries;
};
