// Small test doubles for the seams: a settable clock, status panels and a link that record what they get.
#pragma once

#include "app/Link.h"
#include "app/StatusPanels.h"
#include "platform/SystemClock.h"

#include <QList>

class FakeClock : public SystemClock
{
public:
    QDateTime utc = QDateTime(QDate(2026, 12, 5), QTime(10, 8, 3), Qt::UTC);
    QDateTime local = QDateTime(QDate(2026, 12, 5), QTime(11, 8, 3));
    QDateTime utcNow() const override { return utc; }
    QDateTime localNow() const override { return local; }
    double elapsedSeconds() const override { return 0; }
};

struct RecordingPanels : StatusPanels
{
    QString texts[4];
    void setPanelText(Panel panel, const QString& text) override { texts[int(panel) - 1] = text; }
};

// Records every packet; `failWith` makes writes fail with that reason while it is set.
class RecordingLink : public Link
{
public:
    QList<QByteArray>* sent = nullptr;
    QString* failWith = nullptr;
    OpenResult open() override { return {}; }
    bool write(const QByteArray& packet, QString& error) override
    {
        if (failWith && !failWith->isEmpty()) {
            error = *failWith;
            return false;
        }
        sent->append(packet);
        return true;
    }
    void close() override {}
};
