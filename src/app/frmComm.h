// The link object: never shown; owns the link, the packet buffer and the timer of the refresh cycle.
#pragma once

#include "app/Link.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

class Dialogs;
struct GroupTables;
class StatusPanels;

class frmComm : public QObject
{
    Q_OBJECT

public:
    frmComm(GroupTables& tables, StatusPanels& panels, Dialogs& dialogs, LinkFactory makeLink = MakeLink,
            QObject* parent = nullptr);
    ~frmComm() override;

    // Opens the link named by the command-line text and starts Timer1, whatever the outcome.
    void Form_Load(const QString& argumentText);
    // Stops the cycle and releases the serial port or socket.
    void close();

    int CommMode() const { return m_CommMode; }
    const LinkChoice& linkChoice() const { return m_choice; }

    QTimer Timer1;
    QByteArray Packet;
    qint16 CurrentGroup = 25;
    qint16 CurrentClock = 127;

signals:
    void ticked();

private slots:
    void Timer1_Timer();

private:
    void fail(const QString& text);

    GroupTables& m_tables;
    StatusPanels& m_panels;
    Dialogs& m_dialogs;
    LinkFactory m_makeLink;
    std::unique_ptr<Link> m_link;
    LinkChoice m_choice;
    int m_CommMode = 0;
};
