// The main window frame: size, status bar, where it opens, and what closing it keeps.
#include "model/SettingsStore.h"
#include "platform/Sounds.h"
#include "support/ScriptedDialogs.h"
#include "ui/Twips.h"
#include "ui/main/MainPlacement.h"
#include "ui/main/frmMain.h"

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// What a main window needs besides its settings.
struct Seams
{
    GroupTables tables;
    ScriptedDialogs dialogs;
    FunctionSounds sounds{{}};
};
} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void placement_data();
    void placement();
    void closingStoresPositionAndNextStartOpensThere();
    void unchangedPositionIsNotRewritten();
    void minimisedKeepsStoredPosition();
    void panelsNeverCutSilently_data();
    void panelsNeverCutSilently();
};

void tst_frmMain::placement_data()
{
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");
    QTest::addColumn<double>("screenW");
    QTest::addColumn<QPointF>("expected");
    // Window 7815 x 3240 twips; screen height 10800.
    QTest::newRow("nothing stored: centred") << -401.f << -401.f << 15360.0 << QPointF(3772, 3780);
    QTest::newRow("inside: kept") << 1500.f << 900.f << 15360.0 << QPointF(1500, 900);
    QTest::newRow("400 off the left edge: kept") << -400.f << 0.f << 15360.0 << QPointF(-400, 0);
    QTest::newRow("just over 400 off the left: centred") << -400.5f << 0.f << 15360.0 << QPointF(3772, 3780);
    QTest::newRow("right edge limit: kept") << 14960.f << 0.f << 15360.0 << QPointF(14960, 0);
    QTest::newRow("past the right limit: centred") << 14961.f << 0.f << 15360.0 << QPointF(3772, 3780);
    QTest::newRow("past the bottom limit: centred") << 0.f << 10401.f << 15360.0 << QPointF(3772, 3780);
    QTest::newRow("above the top: centred") << 0.f << -401.f << 15360.0 << QPointF(3772, 3780);
    QTest::newRow("odd difference truncates") << -401.f << 0.f << 15360.0 + 1 << QPointF(3773, 3780);
    QTest::newRow("fraction rounds before halving") << -401.f << 0.f << 15360.0 + 2.5 << QPointF(3774, 3780);
    QTest::newRow("screen smaller than the window") << -401.f << 0.f << 7000.0 << QPointF(-407, 3780);
}

void tst_frmMain::placement()
{
    QFETCH(float, left);
    QFETCH(float, top);
    QFETCH(double, screenW);
    QFETCH(QPointF, expected);
    QCOMPARE(PlaceMainWindow(left, top, screenW, 10800, 7815, 3240), expected);
}

void tst_frmMain::closingStoresPositionAndNextStartOpensThere()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.ini"));
    {
        SettingsStore settings(path);
        Seams seams_window;
        frmMain window(settings, seams_window.tables, seams_window.dialogs, seams_window.sounds);
        window.Form_Load();
        window.show();
        window.move(40, 30);
        // The other windows close newest first, then the link, then the settings are saved.
        QStringList closed;
        struct CloseRecorder : QObject
        {
            QStringList& log;
            CloseRecorder(QStringList& l) : log(l) {}
            bool eventFilter(QObject* o, QEvent* e) override
            {
                if (e->type() == QEvent::Close)
                    log << o->objectName();
                return false;
            }
        } recorder(closed);
        QWidget older, newer;
        for (QWidget* w : {&older, &newer}) {
            w->setObjectName(w == &older ? QStringLiteral("older") : QStringLiteral("newer"));
            w->installEventFilter(&recorder);
            w->show();
        }
        older.hide(); // shown again later: it still counts as opened first
        older.show();
        window.closeLink = [&] { closed << (QFile::exists(path) ? QStringLiteral("saved") : QStringLiteral("link")); };
        QSignalSpy unloaded(&window, &frmMain::unloaded);
        window.close();
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(closed, (QStringList{QStringLiteral("newer"), QStringLiteral("older"), QStringLiteral("link")}));
    }
    SettingsStore later(path);
    const double dpi = LogicalDpi();
    QCOMPARE(later.GetSetting(QStringLiteral("MainLeft"), {}),
             StoredCoordinateText(float(std::round(40 * 1440 / dpi))));
    QCOMPARE(later.GetSetting(QStringLiteral("MainTop"), {}), StoredCoordinateText(float(std::round(30 * 1440 / dpi))));
    Seams seams_next;
    frmMain next(later, seams_next.tables, seams_next.dialogs, seams_next.sounds);
    next.Form_Load();
    QCOMPARE(next.pos(), QPoint(40, 30));
}

void tst_frmMain::unchangedPositionIsNotRewritten()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    const double dpi = LogicalDpi();
    // The same number in another spelling: equal as a number, so the text must stay as it is.
    settings.SaveSetting(QStringLiteral("MainLeft"), QString::number(std::round(60 * 1440 / dpi)) + ".0");
    settings.SaveSetting(QStringLiteral("MainTop"), QString::number(std::round(45 * 1440 / dpi)) + ".0");
    Seams seams_window;
    frmMain window(settings, seams_window.tables, seams_window.dialogs, seams_window.sounds);
    window.Form_Load();
    QCOMPARE(window.pos(), QPoint(60, 45));
    window.SaveWindowSettings();
    QVERIFY(settings.GetSetting(QStringLiteral("MainLeft"), {}).endsWith(QStringLiteral(".0")));
    QVERIFY(settings.GetSetting(QStringLiteral("MainTop"), {}).endsWith(QStringLiteral(".0")));
}

void tst_frmMain::minimisedKeepsStoredPosition()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    settings.SaveSetting(QStringLiteral("MainLeft"), QStringLiteral("1500"));
    settings.SaveSetting(QStringLiteral("MainTop"), QStringLiteral("900"));
    Seams seams_window;
    frmMain window(settings, seams_window.tables, seams_window.dialogs, seams_window.sounds);
    window.Form_Load();
    window.show();
    window.move(7, 7);
    window.showMinimized();
    QVERIFY(window.isMinimized());
    window.close();
    QCOMPARE(settings.GetSetting(QStringLiteral("MainLeft"), {}), QStringLiteral("1500"));
    QCOMPARE(settings.GetSetting(QStringLiteral("MainTop"), {}), QStringLiteral("900"));
}

void tst_frmMain::panelsNeverCutSilently_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<QString>("text");
    QTest::newRow("widest UDP port") << 2 << QStringLiteral("Using UDP:65535");
    QTest::newRow("long device path") << 2 << QStringLiteral("Using /dev/serial/by-id/usb-FTDI_FT232R_A1B2C3-if00");
    QTest::newRow("long sending status") << 1
                                         << QStringLiteral(
                                                "Not Sending: PC clock year 2240 is beyond what the clocks can show");
}

void tst_frmMain::panelsNeverCutSilently()
{
    QFETCH(int, panel);
    QFETCH(QString, text);
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    Seams seams;
    frmMain window(settings, seams.tables, seams.dialogs, seams.sounds);
    window.Form_Load();
    window.show();
    window.setPanelText(panel, text);
    QCOMPARE(window.panelText(panel), text);
    const auto* label = window.findChild<QLabel*>(QStringLiteral("Panel%1").arg(panel));
    QVERIFY(label->geometry().right() <= window.width());
    if (label->text() == text) // shown whole: it must fit
        QVERIFY(label->fontMetrics().horizontalAdvance(text) <= label->contentsRect().width());
    else { // cut visibly, and whole in the tooltip
        QVERIFY(label->text().endsWith(QChar(0x2026)));
        QVERIFY(text.startsWith(label->text().chopped(1)));
        QVERIFY(label->toolTip().contains(text));
    }
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
