// The start-up time warning: when it shows, what each way of leaving it stores and means.
#include "app/frmWarning.h"
#include "model/SettingsStore.h"
#include "platform/Sounds.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class tst_frmWarning : public QObject
{
    Q_OBJECT

private slots:
    void storedValue_data();
    void storedValue();
    void leaving_data();
    void leaving();
    void escapeDoesNothing();
};

void tst_frmWarning::storedValue_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("shows");
    QTest::newRow("absent reads as the default True") << "True" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("false in other case") << "false" << false;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("zero with fraction") << "0.0" << false;
    QTest::newRow("non-zero number") << "-1" << true;
    QTest::newRow("empty text") << "" << true;
    QTest::newRow("hand-edited word") << "no" << true;
    QTest::newRow("False with a stray letter") << "Falsey" << true;
}

void tst_frmWarning::storedValue()
{
    QFETCH(QString, stored);
    QFETCH(bool, shows);
    QCOMPARE(ShouldShowTimeWarning(stored), shows);
}

void tst_frmWarning::leaving_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("stored");
    QTest::newRow("ticked, OK: never again") << true << "OK" << int(QDialog::Accepted) << "False";
    QTest::newRow("not ticked, OK: stores nothing") << false << "OK" << int(QDialog::Accepted) << "<absent>";
    QTest::newRow("ticked, close box: goes on, stores nothing")
        << true << "close" << int(QDialog::Accepted) << "<absent>";
    QTest::newRow("ticked, Cancel: ends, stores nothing") << true << "Cancel" << int(QDialog::Rejected) << "<absent>";
    QTest::newRow("Enter presses OK") << true << "Enter" << int(QDialog::Accepted) << "False";
}

void tst_frmWarning::leaving()
{
    QFETCH(bool, ticked);
    QFETCH(QString, how);
    QFETCH(int, result);
    QFETCH(QString, stored);
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    int beeps = 0;
    FunctionSounds sounds([&] { ++beeps; });
    frmWarning warning(settings, sounds);
    QCOMPARE(beeps, 1);
    QVERIFY(!warning.Check1->isChecked());
    warning.show();
    QVERIFY(QTest::qWaitForWindowExposed(&warning));
    if (ticked)
        QTest::mouseClick(warning.Check1, Qt::LeftButton);
    if (how == QLatin1String("OK"))
        QTest::mouseClick(warning.OKButton, Qt::LeftButton);
    else if (how == QLatin1String("Cancel"))
        QTest::mouseClick(warning.CancelButton, Qt::LeftButton);
    else if (how == QLatin1String("Enter"))
        QTest::keyClick(&warning, Qt::Key_Return);
    else
        warning.close();
    QVERIFY(!warning.isVisible());
    QCOMPARE(warning.result(), result);
    QCOMPARE(SettingsStore(settings.filePath()).GetSetting(QStringLiteral("TimeWarn"), QStringLiteral("<absent>")),
             stored);
}

void tst_frmWarning::escapeDoesNothing()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    FunctionSounds sounds({});
    frmWarning warning(settings, sounds);
    warning.show();
    QVERIFY(QTest::qWaitForWindowExposed(&warning));
    QTest::keyClick(&warning, Qt::Key_Escape);
    QVERIFY(warning.isVisible());
}

QTEST_MAIN(tst_frmWarning)
#include "tst_frmwarning.moc"
