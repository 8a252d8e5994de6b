// quillmarch-monitor: prints every clock packet seen on a serial line or a UDP port, one line each.
#include "PacketDecoder.h"
#include "PacketFramer.h"
#include "app/Link.h"
#include "app/LinkSelection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>

namespace {

// A packet takes 52 ms at 9600 baud and the sender pauses about 280 ms between packets; a gap longer than this
// inside one packet means the rest is not coming.
constexpr int kBurstGapMs = 100;

void PrintLine(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int Fail(int status, const QString& message)
{
    std::fprintf(stderr, "quillmarch-monitor: %s\n", qUtf8Printable(message));
    return status;
}

class Printer
{
public:
    explicit Printer(OutputFormat format) : m_format(format) {}

    void packet(QByteArrayView bytes) const
    {
        const QDateTime now = QDateTime::currentDateTime();
        if (const auto decoded = DecodePacket(bytes))
            PrintLine(FormatPacket(*decoded, now, m_format));
        else
            PrintLine(FormatProblem(DatagramSizeProblem(bytes.size()), now, m_format));
    }
    void framerEvents(PacketFramer& framer) const
    {
        for (const FramerEvent& event : framer.takeEvents()) {
            if (event.kind == FramerEvent::Kind::Packet || event.kind == FramerEvent::Kind::BadChecksum)
                packet(event.bytes);
            else
                PrintLine(FormatProblem(DescribeSkipped(event), QDateTime::currentDateTime(), m_format));
        }
    }

private:
    OutputFormat m_format;
};

int WatchUdp(QCoreApplication& app, quint16 port, const Printer& printer)
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return Fail(1, QStringLiteral("cannot listen on UDP port %1: %2").arg(port).arg(socket.errorString()));
    QObject::connect(&socket, &QUdpSocket::readyRead, &app, [&] {
        while (socket.hasPendingDatagrams())
            printer.packet(socket.receiveDatagram().data());
    });
    std::fprintf(stderr, "quillmarch-monitor: listening on UDP port %u\n", unsigned(port));
    return app.exec();
}

int WatchSerial(QCoreApplication& app, const QString& device, const Printer& printer)
{
    QSerialPort port;
    port.setPortName(device);
    if (!port.open(QIODevice::ReadOnly))
        return Fail(1, QStringLiteral("cannot open %1: %2").arg(device, port.errorString()));
    // Set once open, so that a device that refuses the format is named as such rather than as one not opened.
    if (!SetClockLineFormat(port))
        return Fail(1, QStringLiteral("cannot set %1 to 9600 8N1: %2").arg(device, port.errorString()));

    PacketFramer framer;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(kBurstGapMs);
    QObject::connect(&port, &QSerialPort::readyRead, &app, [&] {
        framer.feed(port.readAll());
        printer.framerEvents(framer);
        quiet.start();
    });
    QObject::connect(&quiet, &QTimer::timeout, &app, [&] {
        framer.endBurst();
        printer.framerEvents(framer);
    });
    QObject::connect(&port, &QSerialPort::errorOccurred, &app, [&](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
            return;
        framer.endBurst();
        printer.framerEvents(framer);
        app.exit(Fail(1, QStringLiteral("lost %1: %2").arg(device, port.errorString())));
    });
    std::fprintf(stderr, "quillmarch-monitor: reading %s at 9600 8N1\n", qUtf8Printable(device));
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmarch-monitor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMARCH_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints every clock packet seen on a serial line or a UDP port, one line each, with the time "
                       "it came, its fields and whether its checksum holds."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print one JSON object per line."));
    parser.addOption(json);
    parser.addPositionalArgument(
        QStringLiteral("source"),
        QStringLiteral("UDP# listens on UDP port # of every IPv4 address (UDP5000); a path such as /dev/ttyUSB0 "
                       "reads that serial device at 9600 8N1."));
    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(2, parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList sources = parser.positionalArguments();
    if (sources.size() != 1)
        return Fail(2, QStringLiteral("give one source, UDP# or a serial device path (see --help)"));
    const QString source = sources.first();
    const Printer printer(parser.isSet(json) ? OutputFormat::Json : OutputFormat::Text);

    // The port is the one the program's reader finds in the same argument, so UDP# means one port to both. The
    // monitor takes only the plain digits its help names, not the program's other spellings of a number.
    static const QRegularExpression udp(QStringLiteral("^UDP(\\d{1,5})$"), QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = udp.match(source); m.hasMatch()) {
        const LinkChoice choice = ChooseLink(source);
        if (choice.CommMode != LinkKind::Udp)
            return Fail(2, QStringLiteral("UDP port %1 is out of range 1..65535").arg(m.captured(1).toUInt()));
        return WatchUdp(app, quint16(choice.port), printer);
    }
    // A path is read as given, also outside /dev/ (the link socat makes for a pseudo-terminal): the program refuses
    // those so as never to write to an ordinary file, and reading one harms nothing.
    if (source.startsWith(QLatin1Char('/')))
        return WatchSerial(app, source, printer);
    return Fail(2, QStringLiteral("\"%1\" is neither UDP# nor a serial device path").arg(source));
}
