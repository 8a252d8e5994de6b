// --list-ports: which devices are listed, the stable names found for each, the order and the printed form.
#include "app/PortList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_PortList : public QObject
{
    Q_OBJECT

private slots:
    void listing_data();
    void listing();
};

// `links`: "NAME>TARGET" makes the symlink by-id/NAME. TARGET is a /dev/ path, "rel:/dev/..." the same written
// relative to the folder, "via:/dev/..." a link to a second link (outside the folder) that points there.
// `uartTypes`: "ttyS1=0" writes the kernel's UART type for ttyS1. `expected` writes the by-id folder as {byid}.
void tst_PortList::listing_data()
{
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QStringList>("uartTypes");
    QTest::addColumn<QString>("expected");

    const QStringList nullZero{"/dev/null", "/dev/zero"};
    QTest::newRow("absolute link") << nullZero << QStringList{"usb-FTDI_A1-if00-port0>/dev/zero"} << QStringList{}
                                   << "/dev/null\n/dev/zero\t{byid}/usb-FTDI_A1-if00-port0\n";
    QTest::newRow("relative link as udev writes it")
        << nullZero << QStringList{"usb-A>rel:/dev/null"} << QStringList{} << "/dev/null\t{byid}/usb-A\n/dev/zero\n";
    QTest::newRow("link to a link") << nullZero << QStringList{"usb-A>via:/dev/zero"} << QStringList{}
                                    << "/dev/null\n/dev/zero\t{byid}/usb-A\n";
    QTest::newRow("two names for one device, sorted")
        << nullZero << QStringList{"usb-B>/dev/null", "usb-A>rel:/dev/null"} << QStringList{}
        << "/dev/null\t{byid}/usb-A\t{byid}/usb-B\n/dev/zero\n";
    QTest::newRow("dangling link and unlisted device ignored")
        << nullZero << QStringList{"usb-gone>/dev/quillmarch-no-such-device", "usb-other>/dev/full"} << QStringList{}
        << "/dev/null\n/dev/zero\n";
    QTest::newRow("8250 placeholder left out, real UART and USB kept")
        << QStringList{"/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyS2"} << QStringList{}
        << QStringList{"ttyS0=4", "ttyS1=0", "ttyS2=0"} << "/dev/ttyS0\n/dev/ttyUSB0\n";
    QTest::newRow("numbers sort by value")
        << QStringList{"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyS10", "/dev/ttyS9", "/dev/ttyACM0"} << QStringList{}
        << QStringList{} << "/dev/ttyACM0\n/dev/ttyS9\n/dev/ttyS10\n/dev/ttyUSB2\n/dev/ttyUSB10\n";
    QTest::newRow("nothing present") << QStringList{} << QStringList{"usb-A>/dev/null"} << QStringList{} << "";
}

void tst_PortList::listing()
{
    QFETCH(QStringList, devices);
    QFETCH(QStringList, links);
    QFETCH(QStringList, uartTypes);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString byId = dir.filePath("serial/by-id");
    const QString ttyClass = dir.filePath("class/tty");
    QVERIFY(QDir().mkpath(byId));
    QVERIFY(QDir().mkpath(dir.filePath("elsewhere")));
    for (const QString& entry : links) {
        const QString name = entry.section('>', 0, 0);
        QString target = entry.section('>', 1);
        if (target.startsWith("rel:")) {
            target = QDir(byId).relativeFilePath(target.mid(4));
            QVERIFY(!target.startsWith('/'));
        } else if (target.startsWith("via:")) {
            const QString hop = dir.filePath("elsewhere/" + name);
            QVERIFY(QFile::link(target.mid(4), hop));
            target = hop;
        }
        QVERIFY2(QFile::link(target, byId + '/' + name), qPrintable(entry));
    }
    for (const QString& entry : uartTypes) {
        QVERIFY(QDir().mkpath(ttyClass + '/' + entry.section('=', 0, 0)));
        QFile type(ttyClass + '/' + entry.section('=', 0, 0) + "/type");
        QVERIFY(type.open(QIODevice::WriteOnly));
        type.write(entry.section('=', 1).toLatin1() + '\n');
    }

    QCOMPARE(FormatPortList(ListPorts(devices, byId, ttyClass)), QString(expected).replace("{byid}", byId));
}

QTEST_GUILESS_MAIN(tst_PortList)
#include "tst_portlist.moc"
