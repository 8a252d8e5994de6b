// The map window: where the picture is looked for, its natural size then stretching, and a missing picture.
#include "app/DataFiles.h"
#include "ui/auxiliary/frmMap.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

class tst_frmMap : public QObject
{
    Q_OBJECT

private slots:
    void folderOrder_data();
    void folderOrder();
    void firstFolderWithTheFileWins_data();
    void firstFolderWithTheFileWins();
    void naturalSizeThenStretched();
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

void tst_frmMap::firstFolderWithTheFileWins_data()
{
    QTest::addColumn<QStringList>("holding");
    QTest::addColumn<QString>("found");
    QTest::newRow("program folder before the others") << QStringList{"prog", "user", "sys"} << "prog";
    QTest::newRow("user folder before the system's") << QStringList{"user", "sys"} << "user";
    QTest::newRow("a folder of that name is no file") << QStringList{"prog/", "sys"} << "sys";
    QTest::newRow("nowhere") << QStringList{} << "";
}

void tst_frmMap::firstFolderWithTheFileWins()
{
    QFETCH(QStringList, holding);
    QFETCH(QString, found);
    QTemporaryDir root;
    const QStringList folders = {root.filePath("prog"), root.filePath("user"), root.filePath("sys")};
    for (const QString& folder : folders)
        QDir().mkpath(folder);
    for (const QString& name : holding) {
        const QString path = root.filePath(name.chopped(name.endsWith('/') ? 1 : 0) + "/" + kMapFileName);
        if (name.endsWith('/'))
            QDir().mkpath(path);
        else
            QImage(4, 4, QImage::Format_RGB32).save(path, "JPG");
    }
    QCOMPARE(FindDataFile(kMapFileName, folders),
             found.isEmpty() ? QString() : root.filePath(found + "/" + kMapFileName));
}

void tst_frmMap::naturalSizeThenStretched()
{
    QTemporaryDir dir;
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(dir.filePath(kMapFileName), "JPG"));
    frmMap map({dir.path()});
    map.show();
    QVERIFY(QTest::qWaitForWindowExposed(&map));
    QCOMPARE(map.size(), QSize(300, 200));
    QCOMPARE(map.MapImage->geometry(), QRect(0, 0, 300, 200));
    QVERIFY(map.MapImage->isVisible() && !map.MapMessage);
    map.resize(520, 90); // out of proportion on purpose
    QTRY_COMPARE(map.MapImage->geometry(), QRect(0, 0, 520, 90));
    QVERIFY(map.MapImage->hasScaledContents());
}

void tst_frmMap::pictureProblemsAreExplained_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("says");
    QTest::newRow("missing: names the file and every folder") << QByteArray() << "\"clientmap.jpg\" was not found";
    QTest::newRow("not a picture: names the path") << QByteArray("not a JPEG") << "cannot be read as a picture";
}

void tst_frmMap::pictureProblemsAreExplained()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString other = dir.filePath("elsewhere");
    if (!content.isEmpty()) {
        QFile file(dir.filePath(kMapFileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    frmMap map({dir.path(), other});
    QVERIFY(map.MapMessage);
    const QString text = map.MapMessage->text();
    QVERIFY2(text.contains(says), qPrintable(text));
    QVERIFY(text.contains(content.isEmpty() ? other : dir.filePath(kMapFileName)));
    QVERIFY(map.MapImage->isHidden());
    QVERIFY(map.width() >= 480 && map.height() >= 240);
}

QTEST_MAIN(tst_frmMap)
#include "tst_frmmap.moc"
