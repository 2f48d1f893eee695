// The help documents and their window: every internal link of the documents leads somewhere, both
// languages have the same topics, a document is found in the installed folder before the one beside
// the program and before the built-in copy, and the window opens wholly on the screen beside the main
// window.

#include "app/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void everyInternalLink_resolves();
    void englishCopies_haveTheSameTopics();
    void builtInCopies_matchTheFiles();
    void documentPath_installedThenBesideThenBuiltIn();
    void placeBeside_keepsTheWindowOnTheScreen_data();
    void placeBeside_keepsTheWindowOnTheScreen();
    void window_opensOnTheScreenBesideTheMainWindow();
    void englishInterface_opensTheEnglishCopy();
};

static const QDir helpDir(QStringLiteral(TALOMA_HELP_DIR));

static QString readDocument(const QString& name)
{
    QFile file(helpDir.filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// The anchors a document defines: <a name="x"> and id="x".
static QSet<QString> anchorsOf(const QString& html)
{
    QSet<QString> anchors;
    static const QRegularExpression defined(QStringLiteral(R"re((?:\bname|\bid)\s*=\s*"([^"]*)")re"));
    for (const auto& m : defined.globalMatch(html))
        anchors.insert(m.captured(1));
    return anchors;
}

static QStringList linksOf(const QString& html)
{
    QStringList links;
    static const QRegularExpression href(QStringLiteral(R"re(\bhref\s*=\s*"([^"]*)")re"));
    for (const auto& m : href.globalMatch(html))
        links.append(m.captured(1));
    return links;
}

static QStringList documents()
{
    return helpDir.entryList({"*.html"}, QDir::Files, QDir::Name);
}

void HelpTest::everyInternalLink_resolves()
{
    QCOMPARE(documents(), (QStringList{"Taloma-BASIC-en.html", "Taloma-BASIC.html", "Taloma-Terminal-en.html",
                                       "Taloma-Terminal.html"}));
    QStringList broken;
    int checked = 0;
    for (const QString& name : documents()) {
        const QString html = readDocument(name);
        for (const QString& link : linksOf(html)) {
            if (link.startsWith(QLatin1String("http://")) || link.startsWith(QLatin1String("https://")) ||
                link.startsWith(QLatin1String("mailto:")))
                continue;
            const qsizetype hash = link.indexOf(QLatin1Char('#'));
            const QString target = hash < 0 ? link : link.left(hash);
            const QString anchor = hash < 0 ? QString() : link.mid(hash + 1);
            const QString targetHtml = target.isEmpty() ? html : readDocument(target);
            ++checked;
            if (targetHtml.isEmpty() || (hash >= 0 && anchor.isEmpty()) ||
                (!anchor.isEmpty() && !anchorsOf(targetHtml).contains(anchor)))
                broken.append(name + QStringLiteral(": ") + link);
        }
    }
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QLatin1Char('\n'))));
    QVERIFY(checked > 100); // the contents lists link every topic
    // The help command jumps to this topic of the BASIC reference.
    QVERIFY(anchorsOf(readDocument("Taloma-BASIC.html")).contains("Inhalt"));
}

void HelpTest::englishCopies_haveTheSameTopics()
{
    for (const QString name : {"Taloma-Terminal.html", "Taloma-BASIC.html"}) {
        const QString english = HelpWindow::englishName(name);
        const QSet<QString> german = anchorsOf(readDocument(name));
        QVERIFY(german.size() > 10);
        QCOMPARE(anchorsOf(readDocument(english)), german);
        // A link from an English copy leads to the other English copy, not to the German document.
        for (const QString& link : linksOf(readDocument(english)))
            QVERIFY2(!link.contains(".html") || link.contains("-en.html"), qPrintable(link));
    }
}

void HelpTest::builtInCopies_matchTheFiles()
{
    for (const QString& name : documents()) {
        QFile builtIn(QStringLiteral(":/help/") + name);
        HelpWindow::documentPath(name, QStringLiteral("/nonexistent")); // registers the built-in copies
        QVERIFY2(builtIn.open(QIODevice::ReadOnly), qPrintable(name));
        QCOMPARE(QString::fromUtf8(builtIn.readAll()), readDocument(name));
    }
}

void HelpTest::documentPath_installedThenBesideThenBuiltIn()
{
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const QDir root(prefix.path());
    QVERIFY(root.mkpath("bin") && root.mkpath("share/taloma-terminal/help"));
    const QString bin = root.filePath("bin");
    const QString name = QStringLiteral("Taloma-BASIC.html");
    const auto touch = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly);
    };

    QCOMPARE(HelpWindow::documentPath(name, bin), QString(":/help/Taloma-BASIC.html"));
    QVERIFY(touch(root.filePath("bin/Taloma-BASIC.html")));
    QCOMPARE(HelpWindow::documentPath(name, bin), root.filePath("bin/Taloma-BASIC.html"));
    QVERIFY(touch(root.filePath("share/taloma-terminal/help/Taloma-BASIC.html")));
    QCOMPARE(HelpWindow::documentPath(name, bin), root.filePath("share/taloma-terminal/help/Taloma-BASIC.html"));
    // A folder of that name is no document.
    QVERIFY(root.mkpath("bin/Taloma-Terminal.html"));
    QCOMPARE(HelpWindow::documentPath("Taloma-Terminal.html", bin), QString(":/help/Taloma-Terminal.html"));
    QCOMPARE(HelpWindow::documentPath("Nothing.html", bin), QString());
    QCOMPARE(HelpWindow::englishName("Taloma-BASIC.html"), QString("Taloma-BASIC-en.html"));
}

void HelpTest::placeBeside_keepsTheWindowOnTheScreen_data()
{
    QTest::addColumn<QRect>("main");
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("expected");
    const QRect screen(0, 0, 1920, 1040);
    QTest::newRow("room on the right") << QRect(100, 50, 800, 600) << QSize(640, 680) << screen
                                       << QRect(900, 50, 640, 680);
    QTest::newRow("room on the left only") << QRect(1000, 50, 800, 600) << QSize(640, 680) << screen
                                           << QRect(360, 50, 640, 680);
    QTest::newRow("narrowed to the room on the right")
        << QRect(100, 50, 1300, 600) << QSize(640, 680) << screen << QRect(1400, 50, 520, 680);
    QTest::newRow("narrowed to the room on the left")
        << QRect(450, 50, 1300, 600) << QSize(640, 680) << screen << QRect(0, 50, 450, 680);
    QTest::newRow("too narrow beside: over the main window at the edge with more room")
        << QRect(100, 50, 1500, 600) << QSize(640, 680) << screen << QRect(1280, 50, 640, 680);
    QTest::newRow("too narrow beside, more on the left")
        << QRect(400, 50, 1500, 600) << QSize(640, 680) << screen << QRect(0, 50, 640, 680);
    QTest::newRow("a small window wanted fits a small room")
        << QRect(100, 50, 1500, 600) << QSize(300, 300) << screen << QRect(1600, 50, 300, 300);
    QTest::newRow("low main window: lifted to fit") << QRect(100, 700, 800, 300) << QSize(640, 680) << screen
                                                    << QRect(900, 360, 640, 680);
    QTest::newRow("main window above the screen's top") << QRect(100, -80, 800, 600) << QSize(640, 680) << screen
                                                        << QRect(900, 0, 640, 680);
    QTest::newRow("larger than the screen: shrunk")
        << QRect(0, 0, 700, 500) << QSize(900, 900) << QRect(0, 0, 800, 600) << QRect(0, 0, 800, 600);
    QTest::newRow("second screen on the right")
        << QRect(2000, 100, 800, 600) << QSize(640, 680) << QRect(1920, 0, 1280, 1024) << QRect(2560, 100, 640, 680);
}

void HelpTest::placeBeside_keepsTheWindowOnTheScreen()
{
    QFETCH(QRect, main);
    QFETCH(QSize, wanted);
    QFETCH(QRect, screen);
    QFETCH(QRect, expected);
    const QRect placed = HelpWindow::placeBeside(main, wanted, screen);
    QCOMPARE(placed, expected);
    QVERIFY(screen.contains(placed));
}

void HelpTest::window_opensOnTheScreenBesideTheMainWindow()
{
    QWidget main;
    const QRect screen = main.screen()->availableGeometry();
    main.resize(100, 200); // leaves room on the right on any screen the tests run on
    main.move(screen.topLeft() + QPoint(10, 10));
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    HelpWindow& help = HelpWindow::instance();
    help.hide();
    help.showDocument("Taloma-Terminal.html", QString(), false, &main);
    QVERIFY(help.isVisible());
    QTRY_VERIFY(screen.contains(help.frameGeometry()));
    QVERIFY(help.frameGeometry().left() >= main.frameGeometry().right());
    // Level with the main window, unless the screen is too low for that.
    QCOMPARE(help.frameGeometry().top(),
             qMin(main.frameGeometry().top(), screen.bottom() + 1 - help.frameGeometry().height()));

    // Opened again while shown, it stays where the user put it.
    help.move(help.pos() + QPoint(0, 20));
    const QPoint moved = help.pos();
    help.showDocument("Taloma-BASIC.html", "Inhalt", false, &main);
    QCOMPARE(help.pos(), moved);
    help.hide();
}

void HelpTest::englishInterface_opensTheEnglishCopy()
{
    HelpWindow& help = HelpWindow::instance();
    help.showDocument("Taloma-BASIC.html", "Inhalt", true);
    QVERIFY(help.browser()->source().toString().endsWith("Taloma-BASIC-en.html"));
    QCOMPARE(help.windowTitle(), QString("Taloma-BASIC - Reference"));
    help.showDocument("Taloma-BASIC.html", "Inhalt", false);
    QVERIFY(help.browser()->source().toString().endsWith("/Taloma-BASIC.html"));
    QCOMPARE(help.windowTitle(), QString("Taloma-BASIC - Referenz"));
    help.hide();
}

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
