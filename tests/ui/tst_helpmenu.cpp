// The Help menu: its entries, what each asks of the launcher and the message boxes, the windows it opens, and
// what the operator is told about the clock's synchronisation.
#include "model/GroupTable.h"
#include "support/RecordingLauncher.h"
#include "support/ScriptedDialogs.h"
#include "ui/auxiliary/frmAbout.h"
#include "ui/auxiliary/frmMap.h"
#include "ui/auxiliary/frmSummary.h"
#include "ui/main/HelpMenu.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/timex.h>

Q_DECLARE_METATYPE(ClockSyncState)

class tst_HelpMenu : public QObject
{
    Q_OBJECT

private slots:
    void entryActions_data();
    void entryActions();
    void windowsOpenOnceAndStayUnchanged();
    void execReturnsAfterTheModalAbout();
    void syncReport_data();
    void syncReport();
};


void tst_HelpMenu::entryActions_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("opens");   // what the launcher answers; the manual is there when a file call is expected
    QTest::addColumn<QString>("call"); // %1: the data folder
    QTest::addColumn<QString>("message");
    QTest::newRow("manual opened, nothing said") << "mnuHelpFinder" << true << "file %1/QUILLMARCH.html"
                                                 << "";
    QTest::newRow("manual missing: the folders looked in")
        << "mnuHelpFinder" << true << ""
        << "Can't find the help file \"QUILLMARCH.html\"\rLooked in these folders, in this order:\r    %1";
    QTest::newRow("manual not opened: path and reason")
        << "mnuHelpFinder" << false << "file %1/QUILLMARCH.html"
        << "Can't open the help file\r\"%1/QUILLMARCH.html\"\rno browser";
    QTest::newRow("maker's page") << "mnuHelpWeb" << true << "url " QUILLMARCH_MAKER_URL << "";
    QTest::newRow("world clock page not opened: said")
        << "mnuHelpZone" << false << "url " QUILLMARCH_WORLDCLOCK_URL
        << "Can't open the web page\r\"" QUILLMARCH_WORLDCLOCK_URL "\"\rno browser";
    QTest::newRow("clock synchronisation: asked, then told") << "mnuHelpSync" << true << "clock sync"
                                                             << "The PC clock's synchronisation cannot be read:\r";
}

void tst_HelpMenu::entryActions()
{
    QFETCH(QString, entry);
    QFETCH(bool, opens);
    QFETCH(QString, call);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QFile manual(dir.filePath(kHelpFileName));
    QVERIFY(!call.startsWith("file") || manual.open(QIODevice::WriteOnly));
    GroupTables tables;
    RecordingLauncher launcher;
    launcher.answer = {opens, opens ? QString() : QStringLiteral("no browser")};
    ScriptedDialogs dialogs;
    HelpMenu help(tables, launcher, dialogs, nullptr, {dir.path()});
    help.mnuHelp->findChild<QAction*>(entry)->trigger();
    QCOMPARE(launcher.calls, call.isEmpty() ? QStringList() : QStringList{call.replace("%1", dir.path())});
    QCOMPARE(dialogs.calls.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QVERIFY2(dialogs.calls[0].text.startsWith(message.replace("%1", dir.path())),
                 qPrintable(dialogs.calls[0].text));
        QCOMPARE(dialogs.calls[0].icon, MsgIcon::Exclamation);
        QCOMPARE(dialogs.calls[0].buttons, MsgButtons::Ok);
    }
}

void tst_HelpMenu::windowsOpenOnceAndStayUnchanged()
{
    GroupTables tables;
    tables.EditGroups[0].Clocks[5] = true;
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    HelpMenu help(tables, launcher, dialogs, nullptr, {});
    help.mnuHelpSummary->trigger();
    help.mnuHelpMap->trigger();
    QPointer<frmSummary> summary = help.summaryWindow();
    QPointer<frmMap> map = help.mapWindow();
    QVERIFY(summary && summary->isVisible() && map && map->isVisible());
    const QString first = summary->Box->toPlainText();
    QVERIFY(first.contains(QStringLiteral("\nA          5 ")));
    QVERIFY(summary->Box->isReadOnly() && QFontInfo(summary->Box->font()).fixedPitch());

    // Chosen again while open: the same windows, restored, the summary not rebuilt.
    tables.EditGroups[1].Clocks[6] = true;
    summary->showMinimized();
    help.mnuHelpSummary->trigger();
    help.mnuHelpMap->trigger();
    QVERIFY(help.summaryWindow() == summary && help.mapWindow() == map && !summary->isMinimized());
    QCOMPARE(summary->Box->toPlainText(), first);

    // Closed, it is gone; the next choice builds it from the groups as they are now.
    summary->close();
    QTRY_VERIFY(!summary);
    help.mnuHelpSummary->trigger();
    QVERIFY(help.summaryWindow()->Box->toPlainText().contains(QStringLiteral("\nB          6 ")));
}

void tst_HelpMenu::execReturnsAfterTheModalAbout()
{
    GroupTables tables;
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    QWidget owner;
    owner.show();
    HelpMenu help(tables, launcher, dialogs, &owner, {});
    // Up from the top wraps to the last entry, About; Escape closes it like OK.
    QTimer::singleShot(50, this, [] {
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Up);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
    });
    QString aboutSaid;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget())) {
            aboutSaid = about->lblVersion->text() + (about->parentWidget() == &owner ? " owned" : "") +
                        (about->cmdOK->isDefault() ? " OK default" : "");
            QTest::keyClick(about, Qt::Key_Escape);
        }
    });
    poll.start(20);
    QTimer::singleShot(10000, help.mnuHelp, &QMenu::close); // a menu that never shows must not hang the run
    help.exec(owner.mapToGlobal(QPoint(10, 10)));
    QCOMPARE(aboutSaid, QStringLiteral("Version 2.8 owned OK default"));
    QVERIFY(!QApplication::activeModalWidget() && !help.mnuHelp->isVisible());
}

void tst_HelpMenu::syncReport_data()
{
    QTest::addColumn<ClockSyncState>("state");
    QTest::addColumn<bool>("problem");
    QTest::addColumn<QString>("says");
    const auto timedatectl = [](const char* output) {
        ClockSyncState state;
        return ParseTimedatectlShow(output, state) ? state : ClockSyncState{};
    };
    QTest::newRow("timedatectl: synchronised")
        << timedatectl("Timezone=Europe/Paris\nCanNTP=yes\nNTP=yes\nNTPSynchronized=yes\n") << false
        << "The PC clock is synchronised with network time.\r(as reported by timedatectl)";
    QTest::newRow("timedatectl: service off")
        << timedatectl("CanNTP=yes\nNTP=no\nNTPSynchronized=no\n") << true << "\r    sudo timedatectl set-ntp true";
    QTest::newRow("timedatectl: no service installed") << timedatectl("CanNTP=no\nNTP=no\nNTPSynchronized=no\n") << true
                                                       << "\r    sudo apt-get install systemd-timesyncd\r";
    QTest::newRow("other output is no answer")
        << timedatectl("System has not been booted with systemd") << true << "cannot be read";
    QTest::newRow("kernel: synchronised, with its error")
        << ClockSyncFromKernel({TIME_OK, 0, 40000, 2500, {}}) << false << "\rEstimated error: 2.5 ms.\r";
    QTest::newRow("kernel: unsynchronised bit")
        << ClockSyncFromKernel({TIME_OK, STA_UNSYNC, 16000000, 0, {}}) << true << "\r    sudo apt-get install chrony\r";
}

void tst_HelpMenu::syncReport()
{
    QFETCH(ClockSyncState, state);
    QFETCH(bool, problem);
    QFETCH(QString, says);
    const ClockSyncReport report = DescribeClockSync(state);
    QCOMPARE(report.problem, problem);
    QVERIFY2(report.text.contains(says), qPrintable(report.text));
}

QTEST_MAIN(tst_HelpMenu)
#include "tst_helpmenu.moc"
