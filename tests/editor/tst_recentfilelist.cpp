// The list of the last files used, as a table of additions and the list that results.

#include "editor/RecentFileList.h"

#include <QTest>

class RecentFileListTest : public QObject {
    Q_OBJECT

private slots:
    void add_data();
    void add();
};

void RecentFileListTest::add_data()
{
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("lastChanged");
    QTest::newRow("first") << QStringList{"/a.bas"} << QStringList{"/a.bas"} << true;
    QTest::newRow("newest first") << QStringList{"/a", "/b", "/c"} << QStringList{"/c", "/b", "/a"} << true;
    QTest::newRow("again first: no change") << QStringList{"/a", "/b", "/b"} << QStringList{"/b", "/a"} << false;
    QTest::newRow("further down moves up") << QStringList{"/a", "/b", "/c", "/a"} << QStringList{"/a", "/c", "/b"}
                                           << true;
    QTest::newRow("fifth pushes the oldest out")
        << QStringList{"/a", "/b", "/c", "/d", "/e"} << QStringList{"/e", "/d", "/c", "/b"} << true;
    QTest::newRow("case of A-Z ignored") << QStringList{"/x/Prog.BAS", "/y", "/X/prog.bas"}
                                         << QStringList{"/X/prog.bas", "/y"} << true;
    QTest::newRow("umlauts keep their case") << QStringList{"/Ä.bas", "/ä.bas"} << QStringList{"/ä.bas", "/Ä.bas"}
                                             << true;
    const QString longName = "/" + QString(200, QLatin1Char('n'));
    QTest::newRow("long names cut and still found")
        << QStringList{longName, "/b", longName} << QStringList{longName.left(150), "/b"} << true;
}

void RecentFileListTest::add()
{
    QFETCH(QStringList, opened);
    QFETCH(QStringList, expected);
    QFETCH(bool, lastChanged);
    QStringList names;
    int count = 0;
    bool changed = false;
    for (const QString& path : opened)
        changed = RecentFileList::add(names, count, path);
    QCOMPARE(names.mid(0, count), expected);
    QCOMPARE(names.size(), RecentFileList::MaxEntries);
    QCOMPARE(changed, lastChanged);
    QCOMPARE(RecentFileList::caption(1, "/b"), QString("&2 /b"));
}

QTEST_GUILESS_MAIN(RecentFileListTest)
#include "tst_recentfilelist.moc"
