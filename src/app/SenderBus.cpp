#include "app/SenderBus.h"

#include "app/ClockSyncWatch.h"
#include "app/Journal.h"
#include "app/frmComm.h"
#include "model/GroupTable.h"

#include <QCryptographicHash>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>

#include <algorithm>

namespace {
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// Calls wait with the event loop running: a window's ticks go on while a slow service answers.
constexpr int kCallTimeoutMs = 2000;

QStringList stringList(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QStringList>(value.value<QDBusArgument>());
    return value.toStringList();
}

// Empty when the sender is not there or does not answer.
QVariantMap getAll(QDBusConnection& bus, const QString& name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(name, SenderBus::kPath, kProperties, QStringLiteral("GetAll"));
    call << SenderBus::kInterface;
    const QDBusMessage reply = bus.call(call, QDBus::BlockWithGui, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qdbus_cast<QVariantMap>(reply.arguments().constFirst().value<QDBusArgument>());
}
} // namespace

const QString SenderBus::kPath = QStringLiteral("/example/orvale_instruments/Quillmarch/Sender");
const QString SenderBus::kInterface = QStringLiteral("example.orvale_instruments.Quillmarch.Sender");

QString SenderBus::NamePrefix()
{
    return QStringLiteral("example.orvale_instruments.Quillmarch.Sender.");
}

// A bus name element holds letters, digits and "_" and starts with no digit: every other byte of the key is
// written as "_" and two hex digits ("udp/5000" is "Ludp_2f5000"), so two links never share a name.
QString SenderBus::Name(const QString& linkKey)
{
    QString element = QStringLiteral("L");
    for (const char c : linkKey.toUtf8()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            element += QLatin1Char(c);
        else
            element += QStringLiteral("_%1").arg(quint8(c), 2, 16, QLatin1Char('0'));
    }
    if (element.size() > 200) // names end at 255 bytes
        element = QStringLiteral("H") +
                  QString::fromLatin1(QCryptographicHash::hash(linkKey.toUtf8(), QCryptographicHash::Sha1).toHex());
    return NamePrefix() + element;
}

QString SenderBus::StatusLine(const SenderStatus& sender, qint64 nowMs)
{
    const QString age =
        sender.LastPacket == 0
            ? QStringLiteral("no packet sent")
            : QStringLiteral("last packet %1 s ago").arg(double(nowMs - sender.LastPacket) / 1000, 0, 'f', 1);
    QString lines = QStringList{sender.Link, sender.Role, sender.Panel, sender.ClockSync, age}.join(QLatin1Char('\t'));
    for (const QString& finding : sender.PlaceFindings)
        lines += QLatin1Char('\n') + sender.Link + QStringLiteral("\tplace\t") + finding;
    return lines;
}

int SenderBus::StatusExitCode(const QList<SenderStatus>& senders)
{
    if (senders.isEmpty())
        return 3;
    return std::any_of(senders.cbegin(), senders.cend(), [](const SenderStatus& s) { return s.Fault; }) ? 1 : 0;
}

QVariantMap SenderStatus::properties() const
{
    return {{QStringLiteral("Link"), Link},
            {QStringLiteral("Role"), Role},
            {QStringLiteral("Panel"), Panel},
            {QStringLiteral("ClockSync"), ClockSync},
            {QStringLiteral("ClockSyncDetail"), ClockSyncDetail},
            {QStringLiteral("ClockSynchronized"), ClockSynchronized},
            {QStringLiteral("Groups"), Groups},
            {QStringLiteral("LastPacket"), LastPacket},
            {QStringLiteral("Fault"), Fault},
            {QStringLiteral("PlaceFindings"), PlaceFindings}};
}

SenderStatus SenderStatus::fromProperties(const QVariantMap& p)
{
    SenderStatus s;
    s.Link = p.value(QStringLiteral("Link")).toString();
    s.Role = p.value(QStringLiteral("Role")).toString();
    s.Panel = p.value(QStringLiteral("Panel")).toString();
    s.ClockSync = p.value(QStringLiteral("ClockSync")).toString();
    s.ClockSyncDetail = p.value(QStringLiteral("ClockSyncDetail")).toString();
    s.ClockSynchronized = p.value(QStringLiteral("ClockSynchronized")).toBool();
    s.Groups = stringList(p.value(QStringLiteral("Groups")));
    s.LastPacket = p.value(QStringLiteral("LastPacket")).toLongLong();
    s.Fault = p.value(QStringLiteral("Fault")).toBool();
    s.PlaceFindings = stringList(p.value(QStringLiteral("PlaceFindings")));
    return s;
}

SenderStatus SenderStatus::collect(const QString& role, const frmComm& comm, const ClockSyncWatch& clockSync,
                                   const GroupTables& tables)
{
    SenderStatus s;
    s.Link = comm.choice().name;
    s.Role = role;
    s.Panel = comm.sendingText();
    s.ClockSync = ClockSyncPanelText(clockSync.state());
    s.ClockSyncDetail = ClockSyncToolTip(clockSync.state());
    s.ClockSynchronized = clockSync.state().synchronized;
    for (int g = 0; g < kGroupCount; ++g) {
        if (tables.ActiveGroups[size_t(g)].FirstClock != -1)
            s.Groups << IndexToLetter(g) + QLatin1Char('\t') + StoredGroupText(tables.ActiveGroups[size_t(g)]);
    }
    s.LastPacket = comm.lastPacketTime().isValid() ? comm.lastPacketTime().toMSecsSinceEpoch() : 0;
    s.Fault = comm.sendFault();
    return s;
}

SenderObject::SenderObject(QDBusConnection bus, QObject* parent) : QObject(parent), m_bus(std::move(bus)) {}

SenderObject::~SenderObject()
{
    if (m_name.isEmpty())
        return;
    m_bus.unregisterService(m_name);
    m_bus.unregisterObject(SenderBus::kPath);
}

bool SenderObject::exportFor(const QString& linkKey, QString& error)
{
    const QString name = SenderBus::Name(linkKey);
    if (!m_bus.registerObject(SenderBus::kPath, this,
                              QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSlots |
                                  QDBusConnection::ExportAllSignals)) {
        error = m_bus.lastError().message();
        return false;
    }
    if (!m_bus.registerService(name)) {
        error = name + QStringLiteral(" is taken: ") + m_bus.lastError().message();
        m_bus.unregisterObject(SenderBus::kPath);
        return false;
    }
    m_name = name;
    return true;
}

void SenderObject::publish(const SenderStatus& status)
{
    const QVariantMap before = m_status.properties(), now = status.properties();
    m_status = status;
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    if (changed.isEmpty() || m_name.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(SenderBus::kPath, kProperties, QStringLiteral("PropertiesChanged"));
    signal << SenderBus::kInterface << changed << QStringList();
    m_bus.send(signal);
}

void SenderObject::SendCommand(const QString& group, uchar code)
{
    const QString refused = takeCommand ? takeCommand(group, code)
                                        : QStringLiteral("This sender is a window: its command keys give commands");
    if (!refused.isEmpty() && calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, refused);
}

SenderView::SenderView(QDBusConnection bus, const QString& linkKey, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_name(SenderBus::Name(linkKey))
{
    auto* watcher = new QDBusServiceWatcher(m_name, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &SenderView::refresh);
    m_bus.connect(m_name, SenderBus::kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    m_bus.connect(m_name, SenderBus::kPath, SenderBus::kInterface, QStringLiteral("CommandDone"), this,
                  SLOT(done(QString, uchar, bool)));
    refresh();
}

void SenderView::refresh()
{
    const QVariantMap all = getAll(m_bus, m_name);
    m_present = !all.isEmpty();
    m_status = SenderStatus::fromProperties(all);
    emit changed();
}

void SenderView::propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
{
    if (interface != SenderBus::kInterface)
        return;
    QVariantMap all = m_status.properties();
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        all.insert(it.key(), it.value());
    m_status = SenderStatus::fromProperties(all);
    m_present = true;
    emit this->changed();
}

void SenderView::done(const QString& group, uchar code, bool reached)
{
    emit commandDone(group.isEmpty() ? -1 : LetterToIndex(group), code, reached);
}

QString SenderView::sendCommand(int group, int code)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_name, SenderBus::kPath, SenderBus::kInterface, QStringLiteral("SendCommand"));
    call << IndexToLetter(group) << QVariant::fromValue(uchar(code));
    const QDBusMessage reply = m_bus.call(call, QDBus::BlockWithGui, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return {};
    // A refusal comes in the sender's own words. Any other error is the bus's: its text is for standard error only.
    const QDBusError error(reply);
    if (error.type() == QDBusError::InvalidArgs)
        return QStringLiteral("The service did not take the command") + QChar(13) + error.message();
    Journal::standardError().warning(QStringLiteral("command %1 for group %2 not given: %3 (%4)")
                                         .arg(code)
                                         .arg(IndexToLetter(group), error.message(), error.name()));
    if (error.type() == QDBusError::ServiceUnknown)
        return QStringLiteral("The Quillmarch service is not running, so the command was not sent.");
    return QStringLiteral("The Quillmarch service did not answer, so the command may not have been sent.");
}

QList<SenderStatus> SenderView::all(QDBusConnection bus, QString& error)
{
    QList<SenderStatus> senders;
    if (!bus.isConnected()) {
        error = bus.lastError().message();
        return senders;
    }
    const QDBusReply<QStringList> names = bus.interface()->registeredServiceNames();
    if (!names.isValid()) {
        error = names.error().message();
        return senders;
    }
    for (const QString& name : names.value()) {
        if (!name.startsWith(SenderBus::NamePrefix()))
            continue;
        const QVariantMap properties = getAll(bus, name);
        if (!properties.isEmpty()) // gone since the list was made
            senders << SenderStatus::fromProperties(properties);
    }
    return senders;
}
