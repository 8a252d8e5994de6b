#include "ui/main/ApplyGroup.h"

#include "model/GroupTable.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

void ShowBusyCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void ShowNormalCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

void ApplyGroup(GroupTables& tables, int index)
{
    ShowBusyCursor();
    // The ticks keep coming while the events are processed; the wait ends when the program stops them.
    const auto waitWhile = [&tables](auto condition) {
        while (condition() && tables.RefreshRunning)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    waitWhile([&] { return tables.PendingGroup != -1; });
    UpdateFirstClock(tables, index);
    tables.PendingGroup = qint16(index);
    waitWhile([&] { return tables.PendingGroup == index; });
    ShowNormalCursor();
}
