// The splash window and the version text it shares with the About window.
#include "app/ProgramVersion.h"
#include "ui/auxiliary/frmSplash.h"

#include <QLabel>
#include <QTest>

class tst_frmSplash : public QObject
{
    Q_OBJECT

private slots:
    void versionText_data();
    void versionText();
    void splash();
};

void tst_frmSplash::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("text");
    QTest::newRow("2.8, not 2.08") << 2 << 8 << "Version 2.8";
    QTest::newRow("two-digit minor") << 2 << 10 << "Version 2.10";
    QTest::newRow("zero minor") << 3 << 0 << "Version 3.0";
}

void tst_frmSplash::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, text);
    QCOMPARE(VersionText(major, minor), text);
}

void tst_frmSplash::splash()
{
    frmSplash splash;
    QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version 2.8"));
    QCOMPARE(splash.lblProductName->text(), QStringLiteral("Quillix"));
    QVERIFY(splash.lblProductName->font().bold() && splash.lblProductName->font().italic());
    QCOMPARE(splash.lblProductName->font().pointSizeF(), 36.0);
    QCOMPARE(splash.lblPlatform->font().pointSizeF(), 13.5);
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(splash.geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(splash.width() >= splash.lblPlatform->width());
}

QTEST_MAIN(tst_frmSplash)
#include "tst_frmsplash.moc"
