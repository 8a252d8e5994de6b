// Handing a group over: ApplyGroup waits for the refresh cycle's tick, never loses one, never hangs.
#include "app/StatusPanels.h"
#include "app/frmComm.h"
#include "model/GroupTable.h"
#include "support/CommRig.h"
#include "support/Fakes.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/ApplyGroup.h"

#include <QGuiApplication>
#include <QTest>
#include <QTimer>

namespace {
void edit(GroupTables& tables, int index, std::initializer_list<int> clocks, const QString& text)
{
    tables.EditGroups[size_t(index)].Clocks = {};
    for (int n : clocks)
        tables.EditGroups[size_t(index)].Clocks[size_t(n)] = true;
    tables.EditGroups[size_t(index)].DisplayText = text;
}
} // namespace

class tst_ApplyGroup : public QObject
{
    Q_OBJECT

private slots:
    void overlappingAppliesBothArrive();
    void stoppingTheCycleEndsTheWait();
};

void tst_ApplyGroup::overlappingAppliesBothArrive()
{
    CommRig rig;
    rig.comm.Form_Load(QStringLiteral("UDP5000"));
    edit(rig.tables, 0, {1}, QStringLiteral("A"));
    edit(rig.tables, 7, {2}, QStringLiteral("H"));
    edit(rig.tables, 0 + 2, {3}, QStringLiteral("C"));
    int nestedApplies = 0;
    // While A waits, the operator applies H, and H's wait lets C in as well: all three must arrive.
    QTimer::singleShot(0, this, [&] {
        ++nestedApplies;
        QTimer::singleShot(0, this, [&] {
            ++nestedApplies;
            ApplyGroup(rig.tables, 2);
        });
        ApplyGroup(rig.tables, 7);
    });
    ApplyGroup(rig.tables, 0);
    QTRY_COMPARE(nestedApplies, 2);
    QTRY_COMPARE(rig.tables.ActiveGroups[2].DisplayText, QStringLiteral("C"));
    QCOMPARE(rig.tables.ActiveGroups[0].DisplayText, QStringLiteral("A"));
    QCOMPARE(rig.tables.ActiveGroups[7].DisplayText, QStringLiteral("H"));
    QCOMPARE(rig.tables.PendingGroup, qint16(-1));
}

void tst_ApplyGroup::stoppingTheCycleEndsTheWait()
{
    CommRig rig;
    rig.comm.Form_Load(QStringLiteral("UDP5000"));
    rig.comm.Timer1.setInterval(60 * 60 * 1000); // no tick will come during this test
    rig.comm.Timer1.start();
    edit(rig.tables, 4, {9}, QStringLiteral("E"));
    QTimer::singleShot(50, this, [&] { rig.comm.close(); });
    ApplyGroup(rig.tables, 4); // must return although nothing took the group over
    QCOMPARE(rig.tables.PendingGroup, qint16(4));
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(tst_ApplyGroup)
#include "tst_applygroup.moc"
