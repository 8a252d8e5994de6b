#include "app/Link.h"

#include <QVariant>

#include <unistd.h>

SerialLink::SerialLink(QString device, int portNumber) : m_device(std::move(device)), m_portNumber(portNumber)
{
    m_port.setPortName(m_device);
    SetClockLineFormat(m_port);
    m_reopenTimer.setInterval(kReopenIntervalMs);
    connect(&m_reopenTimer, &QTimer::timeout, this, &SerialLink::tryReopen);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

Link::OpenResult SerialLink::open()
{
    if (m_portNumber > kMaxSerialPortNumber)
        return {OpenOutcome::NotAvailable,
                QStringLiteral("Invalid port number (the highest is %1)").arg(kMaxSerialPortNumber)};
    if (m_port.open(QIODevice::WriteOnly))
        return {};
    const QSerialPort::SerialPortError error = m_port.error();
    QString description = m_port.errorString();
    m_port.clearError();
    if (error == QSerialPort::DeviceNotFoundError)
        return {OpenOutcome::NotAvailable, description};
    // Serial devices belong to the dialout group; say how to get access rather than only that it failed.
    if (error == QSerialPort::PermissionError && ::access(m_device.toLocal8Bit().constData(), W_OK) != 0)
        description += QChar(13) + QStringLiteral("To use serial ports, add your user to the \"dialout\" group "
                                                  "(sudo usermod -aG dialout $USER) and log in again.");
    return {OpenOutcome::CannotOpen, description};
}

bool SerialLink::write(const QByteArray& packet, QString& error)
{
    if (!m_port.isOpen()) {
        error = m_fault;
        return false;
    }
    if (m_port.bytesToWrite() >= kBacklogLimit) {
        error = QStringLiteral("the serial line is not taking data (%1 bytes waiting)").arg(m_port.bytesToWrite());
        return false;
    }
    if (m_port.write(packet) != packet.size()) {
        error = m_port.errorString();
        m_port.clearError();
        return false;
    }
    // On the line now, at the tick, rather than whenever the event loop next gets to the port after repainting.
    m_port.flush();
    return true;
}

void SerialLink::close()
{
    m_reopenTimer.stop();
    m_port.close();
}

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError || !m_port.isOpen())
        return;
    m_fault = m_port.errorString();
    m_port.clearError();
    m_port.close();
    m_reopenTimer.start();
}

void SerialLink::tryReopen()
{
    if (m_port.open(QIODevice::WriteOnly)) {
        m_reopenTimer.stop();
        m_fault.clear();
        return;
    }
    m_fault = m_port.errorString();
    m_port.clearError();
}

bool UdpLink::write(const QByteArray& packet, QString& error)
{
    if (m_socket.writeDatagram(packet, QHostAddress::Broadcast, m_port) == packet.size()) {
        // The first send binds the socket to a port of the kernel's choosing, where anyone may send it datagrams.
        // Nothing reads them: the kernel's smallest receive buffer keeps a few, not 200 KiB of them.
        if (!m_receiveBufferShrunk) {
            m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(1));
            m_receiveBufferShrunk = true;
        }
        return true;
    }
    error = m_socket.errorString();
    return false;
}

bool SetClockLineFormat(QSerialPort& port)
{
    return port.setBaudRate(QSerialPort::Baud9600) && port.setDataBits(QSerialPort::Data8) &&
           port.setParity(QSerialPort::NoParity) && port.setStopBits(QSerialPort::OneStop) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}

std::unique_ptr<Link> MakeLink(const LinkChoice& choice)
{
    if (choice.CommMode == LinkKind::Udp)
        return std::make_unique<UdpLink>(quint16(choice.port));
    return std::make_unique<SerialLink>(choice.device, choice.port);
}
