// The map window: where the picture is looked for, its natural size then stretching, and a missing picture.
#include "app/DataFiles.h"
#include "ui/auxiliary/frmMap.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

class tst_frmMap : public QObject
{
    Q_OBJECT

private slots:
    void folderOrder_data();
    void folderOrder();
    void naturalSizeThenStretched();
    void largerThanTheScreenIsReadSmaller();
    void pictureProblemsAreExplained_data();
    void pictureProblemsAreExplained();
};

void tst_frmMap::folderOrder_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("program, user, system, then its own prefix")
        << "/opt/qm/bin"
        << QStringList{"/opt/qm/bin", "/home/op/.local/share/Quillmarch", "/usr/local/share/quillmarch",
                       "/usr/share/quillmarch", "/opt/qm/share/quillmarch"};
    QTest::newRow("installed under /usr: no folder twice")
        << "/usr/bin"
        << QStringList{"/usr/bin", "/home/op/.local/share/Quillmarch", "/usr/local/share/quillmarch",
                       "/usr/share/quillmarch"};
}

void tst_frmMap::folderOrder()
{
    QFETCH(QString, program);
    QFETCH(QStringList, expected);
    QCOMPARE(DataFolders(program, QStringLiteral("/home/op/.local/share")), expected);
}

void tst_frmMap::naturalSizeThenStretched()
{
    QTemporaryDir dir;
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(QDir(dir.path()).mkpath("b/" + kMapFileName) && QDir(dir.path()).mkpath("c"));
    QVERIFY(picture.save(dir.filePath("c/" + kMapFileName), "JPG"));
    // Found past a folder without it and one where the name is a folder.
    frmMap map({dir.filePath("a"), dir.filePath("b"), dir.filePath("c")});
    map.show();
    QVERIFY(QTest::qWaitForWindowExposed(&map));
    QCOMPARE(map.size(), QSize(300, 200));
    QCOMPARE(map.MapImage->geometry(), QRect(0, 0, 300, 200));
    map.resize(520, 90); // out of proportion on purpose
    QTRY_COMPARE(map.MapImage->geometry(), QRect(0, 0, 520, 90));
    QVERIFY(map.MapImage->hasScaledContents() && !map.MapMessage);
}

void tst_frmMap::largerThanTheScreenIsReadSmaller()
{
    QTemporaryDir dir;
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    QImage picture(screen * 3, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(dir.filePath(kMapFileName), "JPG"));
    frmMap map({dir.path()});
    QVERIFY(!map.MapMessage);
    QVERIFY2(map.width() < screen.width() && map.height() < screen.height(), "fits on the screen");
    QCOMPARE(map.width() * 100 / map.height(), screen.width() * 100 / screen.height());
    // Held at the size shown, not at the size of the file.
    QCOMPARE(map.MapImage->pixmap().size(), map.size());
}

void tst_frmMap::pictureProblemsAreExplained_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("says");
    QTest::newRow("missing: the file and every folder") << QByteArray() << "\"clientmap.jpg\" was not found";
    QTest::newRow("not a picture: its path") << QByteArray("not a JPEG") << "cannot be read as a picture";
}

void tst_frmMap::pictureProblemsAreExplained()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString other = dir.filePath("elsewhere");
    QFile file(dir.filePath(kMapFileName));
    QVERIFY(content.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(content) && file.flush()));
    frmMap map({dir.path(), other});
    QVERIFY(map.MapMessage && map.MapImage->isHidden());
    const QString text = map.MapMessage->text();
    QVERIFY2(text.contains(says) && text.contains(content.isEmpty() ? other : file.fileName()), qPrintable(text));
    QVERIFY(map.width() >= 480 && map.height() >= 240);
}

QTEST_MAIN(tst_frmMap)
#include "tst_frmmap.moc"
