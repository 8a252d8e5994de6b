// One-shot commands given from outside the window (the service's D-Bus method): each reaches every clock of its
// group once, as the window's command keys deliver it, and is reported when it has.
#pragma once

#include <QList>
#include <QObject>
#include <QPair>

struct GroupTables;

class CommandCourier : public QObject
{
    Q_OBJECT

public:
    explicit CommandCourier(GroupTables& tables, QObject* parent = nullptr);

    // Queues `code` for the group named by `letter` ("A" to "Z"); empty when accepted, else why not. Only the codes
    // the command keys send are taken, and one command per group at a time, so no caller can queue without end.
    QString give(const QString& letter, int code);
    // Called after each tick. Hands the next command over once no other group waits for its take-over.
    void afterTick();
    // A command waits or travels: other hand-overs must wait, or the group they interrupt would get it twice.
    bool busy() const { return m_travelling >= 0 || !m_queue.isEmpty(); }

signals:
    // `reached`: every clock of the group has had the command; false when the group lost its clocks while the
    // command waited, so it was never sent.
    void done(int group, int code, bool reached);

private:
    GroupTables& m_tables;
    QList<QPair<int, int>> m_queue; // (group, code)
    int m_travelling = -1;          // the group whose command has been handed over
    int m_code = 0;
    bool m_takenOver = false;
};
