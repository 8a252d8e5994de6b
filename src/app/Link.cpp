#include "app/Link.h"

#include <unistd.h>

SerialLink::SerialLink(QString device, int portNumber) : m_device(std::move(device)), m_portNumber(portNumber) {}

Link::OpenResult SerialLink::open()
{
    if (m_portNumber > kMaxSerialPortNumber)
        return {OpenOutcome::NotAvailable, QStringLiteral("Invalid port number (the highest is %1)").arg(kMaxSerialPortNumber)};
    m_port.setPortName(m_device);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (m_port.open(QIODevice::WriteOnly))
        return {};
    const QSerialPort::SerialPortError error = m_port.error();
    QString description = m_port.errorString();
    if (error == QSerialPort::DeviceNotFoundError)
        return {OpenOutcome::NotAvailable, description};
    // Serial devices belong to the dialout group; say how to get access rather than only that it failed.
    if (error == QSerialPort::PermissionError && ::access(m_device.toLocal8Bit().constData(), W_OK) != 0)
        description += QChar(13) + QStringLiteral("To use serial ports, add your user to the \"dialout\" group "
                                                  "(sudo usermod -aG dialout $USER) and log in again.");
    return {OpenOutcome::CannotOpen, description};
}

void SerialLink::close()
{
    m_port.close();
}

std::unique_ptr<Link> MakeLink(const LinkChoice& choice)
{
    if (choice.CommMode == 2)
        return std::make_unique<UdpLink>(quint16(choice.port));
    return std::make_unique<SerialLink>(choice.device, choice.port);
}
