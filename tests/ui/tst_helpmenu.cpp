// The Help menu: its entries, what each one asks of the launcher and the message boxes, and its windows.
#include "model/GroupTable.h"
#include "platform/ClockSync.h"
#include "support/RecordingLauncher.h"
#include "support/ScriptedDialogs.h"
#include "ui/auxiliary/SummaryTable.h"
#include "ui/auxiliary/frmAbout.h"
#include "ui/auxiliary/frmMap.h"
#include "ui/auxiliary/frmSummary.h"
#include "ui/main/HelpMenu.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class tst_HelpMenu : public QObject
{
    Q_OBJECT

private slots:
    void entries();
    void entryActions_data();
    void entryActions();
    void windowsOpenOnceAndStayUnchanged();
    void execReturnsAfterTheChosenAction();
};

void tst_HelpMenu::entries()
{
    GroupTables tables;
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    HelpMenu help(tables, launcher, dialogs, nullptr, {});
    QCOMPARE(help.mnuHelp->objectName(), QStringLiteral("mnuHelp"));
    QCOMPARE(help.mnuHelp->title(), QStringLiteral("Help Popup"));
    QStringList shown;
    for (const QAction* action : help.mnuHelp->actions())
        shown << action->objectName() + " " + (action->isSeparator() ? "-" : action->text());
    QCOMPARE(shown,
             (QStringList{"mnuHelpFinder Help Topics...", "mnuHelpDiv1 -", "mnuHelpMap Map", "mnuHelpSummary Summary",
                          "mnuHelpDiv2 -", "mnuHelpWeb Orvale on the Web", "mnuHelpZone Zone and Daylight Info",
                          "mnuHelpSync NIST Time Sync", "mnuHelpAbout About Quillmarch..."}));
}

void tst_HelpMenu::entryActions_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("manualThere");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("call");    // %1 is the data folder
    QTest::addColumn<QString>("message"); // empty: none; lines joined by CR
    QTest::addColumn<int>("icon");
    const int warn = int(MsgIcon::Exclamation);
    QTest::newRow("manual opened, nothing said") << "mnuHelpFinder" << true << true << "file %1/QUILLMARCH.html"
                                                 << "" << 0;
    QTest::newRow("manual missing: the folders looked in")
        << "mnuHelpFinder" << false << true << ""
        << "Can't find the help file \"QUILLMARCH.html\"\rLooked in these folders, in this order:\r    %1" << warn;
    QTest::newRow("manual not opened: path and reason")
        << "mnuHelpFinder" << true << false << "file %1/QUILLMARCH.html"
        << "Can't open the help file\r\"%1/QUILLMARCH.html\"\rno browser" << warn;
    QTest::newRow("maker's page") << "mnuHelpWeb" << false << true << "url " QUILLMARCH_MAKER_URL << "" << 0;
    QTest::newRow("world clock page") << "mnuHelpZone" << false << true << "url " QUILLMARCH_WORLDCLOCK_URL << "" << 0;
    QTest::newRow("web page not opened: said, with the address")
        << "mnuHelpZone" << false << false << "url " QUILLMARCH_WORLDCLOCK_URL
        << "Can't open the web page\r\"" QUILLMARCH_WORLDCLOCK_URL "\"\rno browser" << warn;
}

void tst_HelpMenu::entryActions()
{
    QFETCH(QString, entry);
    QFETCH(bool, manualThere);
    QFETCH(bool, opens);
    QFETCH(QString, call);
    QFETCH(QString, message);
    QFETCH(int, icon);
    QTemporaryDir dir;
    if (manualThere) {
        QFile manual(dir.filePath(kHelpFileName));
        QVERIFY(manual.open(QIODevice::WriteOnly));
    }
    GroupTables tables;
    RecordingLauncher launcher;
    launcher.answer = {opens, opens ? QString() : QStringLiteral("no browser")};
    ScriptedDialogs dialogs;
    HelpMenu help(tables, launcher, dialogs, nullptr, {dir.path()});
    help.mnuHelp->findChild<QAction*>(entry)->trigger();
    QCOMPARE(launcher.calls, call.isEmpty() ? QStringList() : QStringList{call.replace("%1", dir.path())});
    QCOMPARE(dialogs.calls.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(dialogs.calls[0].text, message.replace("%1", dir.path()));
        QCOMPARE(int(dialogs.calls[0].icon), icon);
        QCOMPARE(dialogs.calls[0].title, QStringLiteral("Quillmarch"));
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

    // Chosen again while open: the same windows, the summary not rebuilt.
    tables.EditGroups[1].Clocks[6] = true;
    summary->showMinimized();
    help.mnuHelpSummary->trigger();
    help.mnuHelpMap->trigger();
    QCOMPARE(help.summaryWindow(), summary.data());
    QCOMPARE(help.mapWindow(), map.data());
    QVERIFY(!summary->isMinimized());
    QCOMPARE(summary->Box->toPlainText(), first);

    // Closed, it is gone; the next choice builds it from the groups as they are now.
    summary->close();
    QTRY_VERIFY(!summary);
    help.mnuHelpSummary->trigger();
    QVERIFY(help.summaryWindow()->Box->toPlainText().contains(QStringLiteral("\nB          6 ")));
}

void tst_HelpMenu::execReturnsAfterTheChosenAction()
{
    GroupTables tables;
    RecordingLauncher launcher;
    launcher.sync.source = ClockSyncState::Source::Timedatectl;
    ScriptedDialogs dialogs;
    QWidget owner;
    owner.show();
    HelpMenu help(tables, launcher, dialogs, &owner, {});
    // Up from the top wraps to the last entry, About; its window is modal and closed by Escape.
    bool aboutWasOpen = false;
    QTimer::singleShot(50, this, [&] {
        QWidget* menu = QApplication::activePopupWidget();
        QVERIFY(menu);
        QTest::keyClick(menu, Qt::Key_Up);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const auto closeAbout = [&] {
        auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        if (!about)
            return false;
        aboutWasOpen = about->parentWidget() == &owner;
        QTest::keyClick(about, Qt::Key_Escape);
        return true;
    };
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (closeAbout())
            poll.stop();
    });
    poll.start(20);
    QTimer::singleShot(10000, help.mnuHelp, &QMenu::close); // a menu that never shows must not hang the run
    help.exec(owner.mapToGlobal(QPoint(10, 10)));
    QVERIFY(aboutWasOpen);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!help.mnuHelp->isVisible());

    // And the synchronisation entry: a message, nothing started.
    help.mnuHelpSync->trigger();
    QCOMPARE(launcher.calls, QStringList{"clock sync"});
    QCOMPARE(dialogs.calls.size(), 1);
    QVERIFY(dialogs.calls[0].text.contains(QStringLiteral("sudo timedatectl set-ntp true")));
}

QTEST_MAIN(tst_HelpMenu)
#include "tst_helpmenu.moc"
