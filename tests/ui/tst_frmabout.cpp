// The About window: its texts, and that OK, Enter and Escape all close it.
#include "app/MakerInfo.h"
#include "ui/auxiliary/frmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class tst_frmAbout : public QObject
{
    Q_OBJECT

private slots:
    void texts();
    void closes_data();
    void closes();
};

void tst_frmAbout::texts()
{
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Quillmarch"));
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 2.8"));
    QCOMPARE(about.lblName->text(), QStringLiteral("Quillix"));
    QCOMPARE(about.lblName->font().pointSizeF(), 29.25);
    QVERIFY(about.lblName->font().bold() && about.lblName->font().italic());
    QCOMPARE(about.findChild<QLabel*>("Label10")->text(), MakerInfo::kRightsNotice);
    QVERIFY(about.findChild<QLabel*>("Label6")->text().contains(MakerInfo::kWebAddress));
}

void tst_frmAbout::closes_data()
{
    QTest::addColumn<int>("key"); // 0: click OK
    QTest::newRow("OK clicked") << 0;
    QTest::newRow("Enter presses OK") << int(Qt::Key_Return);
    QTest::newRow("Escape presses OK too") << int(Qt::Key_Escape);
}

void tst_frmAbout::closes()
{
    QFETCH(int, key);
    QWidget owner;
    owner.show();
    frmAbout about(&owner);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QVERIFY(about.cmdOK->isDefault());
    if (key)
        QTest::keyClick(&about, Qt::Key(key));
    else
        QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    QTRY_VERIFY(!about.isVisible());
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmabout.moc"
