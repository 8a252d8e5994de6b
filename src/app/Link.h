// The one outgoing link to the clocks: a serial line (9600 8N1) or a UDP broadcast.
#pragma once

#include "app/LinkSelection.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <QUdpSocket>
#include <functional>
#include <memory>

class Link
{
public:
    enum class OpenOutcome { Opened, NotAvailable, CannotOpen };
    struct OpenResult
    {
        OpenOutcome outcome = OpenOutcome::Opened;
        QString description; // the platform's reason when not opened
    };

    virtual ~Link() = default;
    virtual OpenResult open() = 0;
    // Hands one packet to the link; false, with the platform's reason, when it cannot.
    virtual bool write(const QByteArray& packet, QString& error) = 0;
    virtual void close() = 0;
};

// A serial line that survives its adapter being pulled: on a resource error it closes the port (Qt would
// otherwise report the error in a busy loop) and tries to open it again every two seconds.
class SerialLink : public QObject, public Link
{
    Q_OBJECT

public:
    SerialLink(QString device, int portNumber);
    OpenResult open() override;
    bool write(const QByteArray& packet, QString& error) override;
    void close() override;

    static constexpr int kReopenIntervalMs = 2000;
    // Packets that a line does not drain are stale; past this many bytes waiting, no more are queued.
    static constexpr qint64 kBacklogLimit = 500;

private:
    void onError(QSerialPort::SerialPortError error);
    void tryReopen();

    QString m_device;
    int m_portNumber; // 0 when the device was named by its path
    QSerialPort m_port;
    QTimer m_reopenTimer;
    QString m_fault; // why the port is closed, while it is
};

class UdpLink : public Link
{
public:
    explicit UdpLink(quint16 port) : m_port(port) {}
    // Nothing is bound or sent here: a broadcast needs no local port, so this cannot fail.
    OpenResult open() override { return {}; }
    bool write(const QByteArray& packet, QString& error) override;
    void close() override { m_socket.close(); }

private:
    quint16 m_port;
    QUdpSocket m_socket;
    bool m_receiveBufferShrunk = false;
};

// The clocks' line: 9600 baud, 8 data bits, no parity, one stop bit, no flow control. A closed port keeps the
// settings for open(); an open one takes them at once. False when the device refuses one of them.
bool SetClockLineFormat(QSerialPort& port);

using LinkFactory = std::function<std::unique_ptr<Link>(const LinkChoice&)>;
std::unique_ptr<Link> MakeLink(const LinkChoice& choice);
