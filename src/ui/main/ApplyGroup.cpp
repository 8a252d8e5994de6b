#include "ui/main/ApplyGroup.h"

#include "model/HandOver.h"

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
    HandOver handOver(tables);
    // The ticks keep coming while the events are processed; the wait ends when the program stops them.
    const auto waitWhile = [&handOver](auto condition) {
        while (condition() && handOver.cycleRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    // Another hand-over under way (one Apply inside another's wait, a command) is let through first.
    waitWhile([&] { return !handOver.offer(index); });
    waitWhile([&] { return handOver.pending() == index; });
    ShowNormalCursor();
}
