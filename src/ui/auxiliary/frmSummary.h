// The summary window: every group with clocks in one read-only, fixed-pitch table.
#pragma once

#include <QWidget>

class QPlainTextEdit;
struct GroupTables;

class frmSummary : public QWidget
{
    Q_OBJECT

public:
    // Builds the table once from `tables.EditGroups`; it is not updated while the window stays open.
    explicit frmSummary(const GroupTables& tables, QWidget* parent = nullptr);

    QPlainTextEdit* Box = nullptr;

private:
    void Form_Load(const GroupTables& tables);
};
