// The command-line argument: which link it names, and the exact texts of its failures.
#include "app/LinkSelection.h"

#include <QTest>

namespace {
QString failureA(const QString& asTyped)
{
    return "The command line argument \"" + asTyped +
           "\"is not recognized\rPlease specify argument as \"COM#\" or \"UDP#\" alone, where # is replaced by\r"
           "the serial COM port number or network UDP port number to use.";
}
} // namespace

class tst_LinkSelection : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
};

void tst_LinkSelection::choose_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("panel");

    QTest::newRow("no argument is COM1") << "" << 1 << 1 << "/dev/ttyS0"
                                         << "Using COM1";
    QTest::newRow("blanks only is COM1") << "   " << 1 << 1 << "/dev/ttyS0"
                                         << "Using COM1";
    QTest::newRow("lower case udp") << "udp5000" << 2 << 5000 << ""
                                    << "Using UDP:5000";
    QTest::newRow("lower case com") << "com3" << 1 << 3 << "/dev/ttyS2"
                                    << "Using COM3";
    QTest::newRow("surrounding blanks") << "  COM2 " << 1 << 2 << "/dev/ttyS1"
                                        << "Using COM2";
    QTest::newRow("split by the shell") << "UDP 5000" << 2 << 5000 << ""
                                        << "Using UDP:5000";
    QTest::newRow("highest UDP port") << "UDP65535" << 2 << 65535 << ""
                                      << "Using UDP:65535";
    QTest::newRow("above 16 bits passes the range") << "COM40000" << 1 << 40000 << "/dev/ttyS39999"
                                                    << "Using COM40000";
    QTest::newRow("half rounds down to even") << "COM2.5" << 1 << 2 << "/dev/ttyS1"
                                              << "Using COM2";
    QTest::newRow("half rounds up to even") << "COM3.5" << 1 << 4 << "/dev/ttyS3"
                                            << "Using COM4";
    QTest::newRow("fraction below half") << "UDP7.4" << 2 << 7 << ""
                                         << "Using UDP:7";
    QTest::newRow("leading zeros") << "COM007" << 1 << 7 << "/dev/ttyS6"
                                   << "Using COM7";
    QTest::newRow("device path keeps its case")
        << "/dev/serial/by-id/usb-FTDI_A1" << 1 << 0 << "/dev/serial/by-id/usb-FTDI_A1"
        << "Using /dev/serial/by-id/usb-FTDI_A1";
    QTest::newRow("dot segments staying under /dev") << "/dev/serial/../ttyS0" << 1 << 0 << "/dev/serial/../ttyS0"
                                                     << "Using /dev/serial/../ttyS0";
    QTest::newRow("device path trimmed") << " /dev/pts/4 " << 1 << 0 << "/dev/pts/4"
                                         << "Using /dev/pts/4";

    // Not recognized: failure A, with the argument exactly as typed.
    for (const char* bad : {"COM",    "UDP",        "com",     "COM0",       "COM65536",
                            "LPT1",   "UDP-1",      "COMX",    "UDPX",       "UDP70000",
                            "COM0.5", "COM65535.5", "COM1e3",  "COM 1 2",    "COM1,5",
                            "-x",     "--help me",  "  lpt2 ", "/DEV/ttyS0", "COM99999999999999999999"})
        QTest::newRow(bad) << QString::fromLatin1(bad) << 0 << 0 << ""
                           << "";
    // A device path that leaves /dev/ or would break the one-line panel and log lines.
    QTest::newRow("/dev itself") << "/dev/" << 0 << 0 << ""
                                 << "";
    QTest::newRow("up out of /dev") << "/dev/../etc/passwd" << 0 << 0 << ""
                                    << "";
    QTest::newRow("up through a dot") << "/dev/./../tmp/x" << 0 << 0 << ""
                                      << "";
    QTest::newRow("line break") << "/dev/tty\nS0" << 0 << 0 << ""
                                << "";
    QTest::newRow("escape sequence") << "/dev/tty\x1b[2J" << 0 << 0 << ""
                                     << "";
}

void tst_LinkSelection::choose()
{
    QFETCH(QString, argument);
    QFETCH(int, mode);
    QFETCH(int, port);
    QFETCH(QString, device);
    QFETCH(QString, panel);
    const LinkChoice choice = ChooseLink(argument);
    QCOMPARE(choice.CommMode, mode);
    if (mode == 0) {
        QCOMPARE(choice.failureText, failureA(argument));
        return;
    }
    QCOMPARE(choice.failureText, QString());
    QCOMPARE(choice.port, port);
    QCOMPARE(choice.device, device);
    QCOMPARE(LinkPanelText(choice), panel);
}

QTEST_APPLESS_MAIN(tst_LinkSelection)
#include "tst_linkselection.moc"
