// The one outgoing link to the clocks: a serial line (9600 8N1) or a UDP broadcast.
#pragma once

#include "app/LinkSelection.h"

#include <QSerialPort>
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
    virtual void close() = 0;
};

class SerialLink : public Link
{
public:
    SerialLink(QString device, int portNumber);
    OpenResult open() override;
    void close() override;

private:
    QString m_device;
    int m_portNumber; // 0 when the device was named by its path
    QSerialPort m_port;
};

class UdpLink : public Link
{
public:
    explicit UdpLink(quint16 port) : m_port(port) {}
    // Nothing is bound or sent here: a broadcast needs no local port, so this cannot fail.
    OpenResult open() override { return {}; }
    void close() override { m_socket.close(); }

private:
    quint16 m_port;
    QUdpSocket m_socket;
};

using LinkFactory = std::function<std::unique_ptr<Link>(const LinkChoice&)>;
std::unique_ptr<Link> MakeLink(const LinkChoice& choice);
