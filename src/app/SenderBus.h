// Every sender of one user (a window or a service holding a link) on the session bus: its status for windows and
// `quillmarch --status`, and, for a service, one-shot commands given from a window.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>

class ClockSyncWatch;
class frmComm;
struct GroupTables;

struct SenderStatus
{
    QString Link;  // "COM1", "UDP:5000", "/dev/ttyUSB0"
    QString Role;  // "service" or "window"
    QString Panel; // the sending panel's text: "Sending to Clock Number 7", "Send Error: ...", "Not Sending: ..."
    QString ClockSync;
    QString ClockSyncDetail;
    bool ClockSynchronized = false;
    QStringList Groups;        // each group with clocks: its letter, a TAB, its stored form
    qint64 LastPacket = 0;     // when the last packet went out, UTC milliseconds since 1970; 0 before the first
    bool Fault = false;        // sending disabled, or the last send failed
    QStringList PlaceFindings; // each group whose codes will not show its place's time, as `--check-places` says it

    QVariantMap properties() const;
    static SenderStatus fromProperties(const QVariantMap& properties);
    // What a sender that holds its link shows now.
    static SenderStatus collect(const QString& role, const frmComm& comm, const ClockSyncWatch& clockSync,
                                const GroupTables& tables);
};

namespace SenderBus {
// The lines of `quillmarch --status` for a sender: link, role, the sending panel's text, the PC clock's state, the
// last packet's age, TABs between; then a line for each place finding: link, "place" and the finding.
QString StatusLine(const SenderStatus& sender, qint64 nowMs);
// 0 when every sender is sending, 1 when any has a fault, 3 when none runs (the LSB status codes).
int StatusExitCode(const QList<SenderStatus>& senders);
// Every sender's bus name starts with this; the rest names its link.
QString NamePrefix();
QString Name(const QString& linkKey);
extern const QString kPath;
extern const QString kInterface;
} // namespace SenderBus

// The exported object of a sender: read-only properties (with PropertiesChanged) and, for a service, SendCommand.
class SenderObject : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "example.orvale_instruments.Quillmarch.Sender")
    Q_PROPERTY(QString Link READ Link)
    Q_PROPERTY(QString Role READ Role)
    Q_PROPERTY(QString Panel READ Panel)
    Q_PROPERTY(QString ClockSync READ ClockSync)
    Q_PROPERTY(QString ClockSyncDetail READ ClockSyncDetail)
    Q_PROPERTY(bool ClockSynchronized READ ClockSynchronized)
    Q_PROPERTY(QStringList Groups READ Groups)
    Q_PROPERTY(qint64 LastPacket READ LastPacket)
    Q_PROPERTY(bool Fault READ Fault)
    Q_PROPERTY(QStringList PlaceFindings READ PlaceFindings)

public:
    explicit SenderObject(QDBusConnection bus, QObject* parent = nullptr);
    ~SenderObject() override; // gives the name back: its viewers see the sender gone
    // Takes the link's name on the bus and exports the object; false, with the reason, when it cannot.
    bool exportFor(const QString& linkKey, QString& error);
    // Sends PropertiesChanged for what differs from the status published before.
    void publish(const SenderStatus& status);
    // Given a group index and a code, queues the command; returns why not, or empty. Unset: commands are refused.
    std::function<QString(const QString& group, int code)> takeCommand;

    QString Link() const { return m_status.Link; }
    QString Role() const { return m_status.Role; }
    QString Panel() const { return m_status.Panel; }
    QString ClockSync() const { return m_status.ClockSync; }
    QString ClockSyncDetail() const { return m_status.ClockSyncDetail; }
    bool ClockSynchronized() const { return m_status.ClockSynchronized; }
    QStringList Groups() const { return m_status.Groups; }
    qint64 LastPacket() const { return m_status.LastPacket; }
    bool Fault() const { return m_status.Fault; }
    QStringList PlaceFindings() const { return m_status.PlaceFindings; }

public slots:
    // `group` is a letter A..Z; `code`, one of the keys' four commands, goes once to every clock of the group.
    void SendCommand(const QString& group, uchar code);

signals:
    // The command has reached every clock of its group (`reached`), or was dropped since the group lost its clocks.
    void CommandDone(const QString& group, uchar code, bool reached);

private:
    QDBusConnection m_bus;
    SenderStatus m_status;
    QString m_name;
};

// A sender seen from another program of the user: its status as it changes, and its commands.
class SenderView : public QObject
{
    Q_OBJECT

public:
    SenderView(QDBusConnection bus, const QString& linkKey, QObject* parent = nullptr);
    // Whether the sender is on the bus now.
    bool present() const { return m_present; }
    const SenderStatus& status() const { return m_status; }
    // Empty when the sender took the command, else what the operator is told: the sender's reason, or that it is
    // not running or did not answer.
    QString sendCommand(int group, int code);

    // The status of every sender on the bus; `error` says why the bus could not be asked.
    static QList<SenderStatus> all(QDBusConnection bus, QString& error);

signals:
    void changed(); // status or presence
    void commandDone(int group, int code, bool reached);

private slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
    void done(const QString& group, uchar code, bool reached);

private:
    void refresh();

    QDBusConnection m_bus;
    QString m_name;
    SenderStatus m_status;
    bool m_present = false;
};
