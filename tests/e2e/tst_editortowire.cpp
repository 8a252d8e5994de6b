// From the window to the wire: the editor, the link object and a real serial line (a pseudo-terminal), all
// as the program wires them; what the clocks would receive is read back from the line.
#include "app/frmComm.h"
#include "model/SettingsStore.h"
#include "platform/Sounds.h"
#include "platform/SystemClock.h"
#include "support/Pty.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

class tst_EditorToWire : public QObject
{
    Q_OBJECT

private slots:
    void applyAndCommandReachTheClocks();

private:
    // The next `count` packets from the line (clock number, command byte, text).
    QList<QByteArray> packets(int master, int count);
    QByteArray m_pending;
};

QList<QByteArray> tst_EditorToWire::packets(int master, int count)
{
    QList<QByteArray> result;
    QElapsedTimer waited;
    waited.start();
    while (result.size() < count && waited.elapsed() < 15000) {
        while (m_pending.size() >= 50 && result.size() < count) {
            result << m_pending.left(50);
            m_pending.remove(0, 50);
        }
        char buffer[512];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0)
            m_pending.append(buffer, n);
        else
            QTest::qWait(20); // the program runs in this thread: let its timer tick
    }
    return result;
}

void tst_EditorToWire::applyAndCommandReachTheClocks()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    GroupTables tables;
    LoadAllGroups(tables, settings);
    ScriptedDialogs dialogs;
    FunctionSounds sounds({});
    RealSystemClock clock;
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    const int master = pty.master;
    ::fcntl(master, F_SETFL, O_NONBLOCK);

    frmMain window(settings, tables, dialogs, sounds);
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    frmComm comm(tables, window, dialogs, clock);
    comm.Form_Load(pty.slavePath);
    QCOMPARE(comm.CommMode(), 1);

    // The operator edits group A and presses Enter.
    window.GroupClockNumbers->setFocus();
    QTest::keyClicks(window.GroupClockNumbers, QStringLiteral("4,3"));
    window.TimeZone->setCurrentIndex(8);
    window.TextDisplay->setFocus();
    QTest::keyClicks(window.TextDisplay, QStringLiteral("HELLO"));
    QTest::keyClick(window.TextDisplay, Qt::Key_Return);
    QCOMPARE(tables.ActiveGroups[0].DisplayText, QStringLiteral("HELLO"));

    QList<QByteArray> sent = packets(master, 3);
    QCOMPARE(sent.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(int(sent[i].at(9)), i % 2 == 0 ? 3 : 4);
        QCOMPARE(int(quint8(sent[i].at(10))), 27);
        QCOMPARE(sent[i].mid(12, 20), QByteArray("       HELLO        "));
        QCOMPARE(sent[i].at(8), char(0));
    }

    // F6 in manufacturing mode: each clock of the group gets 172 once, then 0 again.
    window.ManufacturingMode = true;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QList<int> commands;
    QList<int> clocks;
    for (const QByteArray& packet : packets(master, 12)) {
        commands << int(quint8(packet.at(8)));
        clocks << int(packet.at(9));
    }
    const int first = int(commands.indexOf(172));
    QVERIFY2(first >= 0 && first + 1 < commands.size(), "the command went out");
    QCOMPARE(clocks[first], 3);
    QCOMPARE(commands.mid(first, 4), (QList<int>{172, 172, 0, 0}));
    QCOMPARE(commands.count(172), 2);
}

QTEST_MAIN(tst_EditorToWire)
#include "tst_editortowire.moc"
