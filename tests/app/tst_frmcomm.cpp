// Opening the link: serial on a pseudo-terminal, UDP, and each failure with its message and panels.
#include "app/StatusPanels.h"
#include "app/frmComm.h"
#include "model/GroupTable.h"
#include "support/ScriptedDialogs.h"

#include <QSignalSpy>
#include <QTest>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct Panels : StatusPanels
{
    QString texts[4];
    void setPanelText(int panel, const QString& text) override { texts[panel - 1] = text; }
    QString panelText(int panel) const override { return texts[panel - 1]; }
};

struct Pty
{
    int master = -1, slave = -1;
    QString slavePath;
    Pty()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0)
            slavePath = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        ::close(slave);
        ::close(master);
    }
};

} // namespace

class tst_frmComm : public QObject
{
    Q_OBJECT

private slots:
    void serialDevicePathOpensAt9600_8N1();
    void udpNeedsNothingOpened();
    void failures_data();
    void failures();
    void secondOwnerOfTheSameLineIsRefused();
};

void tst_frmComm::serialDevicePathOpensAt9600_8N1()
{
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    GroupTables tables;
    Panels panels;
    ScriptedDialogs dialogs;
    frmComm comm(tables, panels, dialogs);
    QSignalSpy ticks(&comm, &frmComm::ticked);
    comm.Form_Load(pty.slavePath);

    QCOMPARE(dialogs.calls.size(), 0);
    QCOMPARE(comm.CommMode(), 1);
    QCOMPARE(panels.texts[1], "Using " + pty.slavePath);
    QCOMPARE(panels.texts[0], QString());
    QCOMPARE(comm.Packet.size(), 50);
    QCOMPARE(comm.Packet.at(0), char(0x29));
    QCOMPARE(comm.Packet.mid(1), QByteArray(49, '\0'));
    QCOMPARE(comm.CurrentGroup, qint16(25));
    QCOMPARE(comm.CurrentClock, qint16(127));

    termios tio{};
    QCOMPARE(tcgetattr(pty.master, &tio), 0);
    QCOMPARE(cfgetospeed(&tio), speed_t(B9600));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));

    QVERIFY(comm.Timer1.isActive());
    QCOMPARE(comm.Timer1.interval(), 333);
    QCOMPARE(comm.Timer1.timerType(), Qt::PreciseTimer);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 2, 3000);
}

void tst_frmComm::udpNeedsNothingOpened()
{
    GroupTables tables;
    Panels panels;
    ScriptedDialogs dialogs;
    frmComm comm(tables, panels, dialogs);
    comm.Form_Load(QStringLiteral("udp5000"));
    QCOMPARE(dialogs.calls.size(), 0);
    QCOMPARE(comm.CommMode(), 2);
    QCOMPARE(panels.texts[1], QStringLiteral("Using UDP:5000"));
    QVERIFY(comm.Timer1.isActive());
}

void tst_frmComm::failures_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("textStart"); // the description that follows is the platform's own

    QTest::newRow("not recognized") << "LPT1" << "The command line argument \"LPT1\"is not recognized\r";
    QTest::newRow("missing device") << "/dev/quillmarch-no-such-device"
                                    << "Comm Port \"/dev/quillmarch-no-such-device\" is not available on this "
                                       "system\rNo such file or directory";
    QTest::newRow("number beyond 16 bits") << "COM40000"
                                           << "Comm Port \"COM40000\" is not available on this system\r";
    QTest::newRow("not a serial device") << "/dev/null" << "Comm Port \"/dev/null\" cannot be opened\r";
}

void tst_frmComm::failures()
{
    QFETCH(QString, argument);
    QFETCH(QString, textStart);
    GroupTables tables;
    Panels panels;
    ScriptedDialogs dialogs;
    frmComm comm(tables, panels, dialogs);
    comm.Form_Load(argument);

    QCOMPARE(dialogs.calls.size(), 1);
    const RecordedMsgBox& box = dialogs.calls[0];
    QVERIFY2(box.text.startsWith(textStart), qPrintable(box.text));
    QVERIFY2(box.text.size() > textStart.size() || textStart.endsWith(QStringLiteral("directory")),
             "the platform's description follows the text");
    QCOMPARE(box.title, QStringLiteral("Quillmarch"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(comm.CommMode(), 0);
    QCOMPARE(panels.texts[0], QStringLiteral("Sending Disabled due to Error"));
    QCOMPARE(panels.texts[1], QString());
    QVERIFY(comm.Timer1.isActive());
}

void tst_frmComm::secondOwnerOfTheSameLineIsRefused()
{
    Pty pty;
    GroupTables tables;
    Panels panels;
    ScriptedDialogs dialogs;
    frmComm first(tables, panels, dialogs);
    first.Form_Load(pty.slavePath);
    QCOMPARE(first.CommMode(), 1);
    frmComm second(tables, panels, dialogs);
    second.Form_Load(pty.slavePath);
    QCOMPARE(second.CommMode(), 0);
    QCOMPARE(dialogs.calls.size(), 1);
    QVERIFY2(dialogs.calls[0].text.startsWith("Comm Port \"" + pty.slavePath + "\" cannot be opened\r"),
             qPrintable(dialogs.calls[0].text));
    // Closing the first releases the line for the next owner.
    first.close();
    frmComm third(tables, panels, dialogs);
    third.Form_Load(pty.slavePath);
    QCOMPARE(third.CommMode(), 1);
}

QTEST_GUILESS_MAIN(tst_frmComm)
#include "tst_frmcomm.moc"
