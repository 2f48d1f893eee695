#include "dialogs/Info_Unit.h"

#include "app/sprache.h"
#include "platform/SystemInfo.h"
#include "platform/Version.h"
#include "settings/GlobVar_Unit.h"
#include "support/ScriptedPrompts.h"

#include <QDesktopServices>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <memory>

namespace {

// Receives the links the desktop would open, so that no browser or mail program starts.
class LinkCatcher final : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class InfoDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts_followTheLanguage_data();
    void texts_followTheLanguage();
    void showing_refreshesVersionSystemAndFirstPage();
    void memoryRows_showEachFigureInKilobytes();
    void picture_isDecodedIntoTheFrame();

    void linkButtons_openTheirAddressAndFocusOk();
    void linkButtons_goThroughTheDesktop();
    void linkButtons_failedStart_warnsWithAnEmptyText();

    void systemInfo_startsTheFirstInstalledTool();
    void systemInfo_noToolInstalled_passesSilently();

private:
    template <typename T>
    T* child(const char* name) const
    {
        return m_dialog->findChild<T*>(QString::fromLatin1(name));
    }
    void showAgain();
    QString writeFile(const QString& name, const QByteArray& text, bool executable = false);

    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TfrmInfo> m_dialog;
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_path;
};

void InfoDialogTest::init()
{
    GlobVar::ResetGlobals();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialog = std::make_unique<TfrmInfo>(nullptr, &sprache::ApplyLanguage);
    sprache::RegisterWindow(m_dialog.get());
    m_path = qgetenv("PATH");
}

void InfoDialogTest::cleanup()
{
    qputenv("PATH", m_path);
    sprache::UnregisterWindow(m_dialog.get());
    m_dialog.reset();
    m_prompts.reset();
    m_dir.reset();
    QLocale::setDefault(QLocale::system());
}

void InfoDialogTest::showAgain()
{
    m_dialog->hide();
    m_dialog->show();
}

QString InfoDialogTest::writeFile(const QString& name, const QByteArray& text, bool executable)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    return path;
}

void InfoDialogTest::texts_followTheLanguage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    const QList<std::tuple<const char*, const char*, const char*>> rows = {
        {"Label4", "Terminal", "Terminal"},
        {"lblV", "Version", "Version"},
        {"Label8", "Phys. Windows - Speicher:", "Phys. Windows - Memory:"},
        {"Label10", "Verfüg. Phys. Windows - Speicher:", "Avail. phys. Windows - Memory:"},
        {"Label9", "Auslagerungsspeicher:", "Page-Memory:"},
        {"Label11", "Verfügbarer Auslagerungsspeicher:", "Avail Page-Memory:"},
        {"GroupBox1", "Adresse", "Address"},
        {"Allgemeines", "Allgemeines", "General"},
        {"Autor", "Der Autor", "The Author"},
        // Not in the string table: the same in both languages.
        {"Label2", "8052 - ZU - Raduz", "8052 - ZU - Raduz"},
        {"GroupBox2", "Internet", "Internet"},
        {"lblHomepage", "Honmepage:", "Honmepage:"},
        {"BitBtnSys", "&SystemInfo...", "&SystemInfo..."},
    };
    for (const auto& [name, german, english] : rows) {
        QTest::addRow("German %s", name) << 1 << name << QString::fromUtf8(german);
        QTest::addRow("English %s", name) << 2 << name << QString::fromUtf8(english);
    }
    // Any language but German is English.
    QTest::addRow("language 7") << 7 << "Label10" << "Avail. phys. Windows - Memory:";
}

void InfoDialogTest::texts_followTheLanguage()
{
    QFETCH(int, language);
    QFETCH(QString, name);
    QFETCH(QString, text);

    // The dialog applies the language itself each time it is shown, whatever the texts were before.
    GlobVar::Language = language == 1 ? 2 : 1;
    m_dialog->show();
    GlobVar::Language = language;
    showAgain();

    QObject* control = m_dialog->findChild<QObject*>(name);
    QVERIFY(control);
    QString shown;
    if (auto* label = qobject_cast<QLabel*>(control))
        shown = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        shown = button->text();
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        shown = group->title();
    else if (auto* page = qobject_cast<QWidget*>(control))
        shown = child<QTabWidget>("PageControl2")->tabText(child<QTabWidget>("PageControl2")->indexOf(page));
    QCOMPARE(shown, text);
    QCOMPARE(m_dialog->windowTitle(), QString("Information"));
}

void InfoDialogTest::showing_refreshesVersionSystemAndFirstPage()
{
    auto* pages = child<QTabWidget>("PageControl2");
    auto* os = child<QLabel>("lblOS");
    QCOMPARE(child<QLabel>("lblVersion")->text(), QString("0.0.0.0"));
    QVERIFY(child<QLabel>("lblCopyright")->text().contains("ZUV Mikrocontroller-Systeme"));

    m_dialog->show();
    const FileVersionFields v = GetFileVersionFields();
    QCOMPARE(child<QLabel>("lblVersion")->text(),
             QStringLiteral("%1.%2.%3.%4").arg(v.major).arg(v.minor).arg(v.release).arg(v.build));
    // The caption of the line was put back by the language and then replaced by the machine's text.
    QCOMPARE(os->text(), OperatingSystemText());
    QVERIFY(os->text() != "Betriebssystem");

    // Closed on the second page, it opens again on the first, with a fresh operating-system line.
    pages->setCurrentWidget(child<QWidget>("Autor"));
    os->setText("stale");
    showAgain();
    QCOMPARE(pages->currentWidget(), child<QWidget>("Allgemeines"));
    QCOMPARE(os->text(), OperatingSystemText());
}

void InfoDialogTest::memoryRows_showEachFigureInKilobytes()
{
    // Four different figures, all beyond what 32 bits can hold, so that a mixed-up or cut row shows.
    m_dialog->setMemoryInfoPath(writeFile("meminfo", "MemTotal:       65842516 kB\n"
                                                     "MemFree:          123456 kB\n"
                                                     "MemAvailable:   48291044 kB\n"
                                                     "SwapTotal:      16777212 kB\n"
                                                     "SwapFree:        8388604 kB\n"));
    m_dialog->show();
    QCOMPARE(child<QLabel>("lblMemory")->text(), QString("65.842.516 KB"));
    QCOMPARE(child<QLabel>("lblMemoryAvail")->text(), QString("48.291.044 KB"));
    QCOMPARE(child<QLabel>("lblPageMemory")->text(), QString("16.777.212 KB"));
    QCOMPARE(child<QLabel>("lblPageMemoryAvail")->text(), QString("8.388.604 KB"));
    QVERIFY(child<QLabel>("lblMemory")->alignment() & Qt::AlignRight);

    // Read again at each showing, with the separator of the locale of that moment.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    writeFile("meminfo", "MemTotal: 2048 kB\nMemAvailable: 1024 kB\n");
    showAgain();
    QCOMPARE(child<QLabel>("lblMemory")->text(), QString("2,048 KB"));
    QCOMPARE(child<QLabel>("lblPageMemory")->text(), QString("0 KB"));

    m_dialog->setMemoryInfoPath(m_dir->filePath("missing"));
    showAgain();
    QCOMPARE(child<QLabel>("lblMemoryAvail")->text(), QString("0 KB"));
}

void InfoDialogTest::picture_isDecodedIntoTheFrame()
{
    auto* image = child<QLabel>("Image1");
    QCOMPARE(image->pixmap().size(), QSize(120, 140));
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->parentWidget(), child<QWidget>("Panel2"));
}

void InfoDialogTest::linkButtons_openTheirAddressAndFocusOk()
{
    QList<QUrl> opened;
    m_dialog->setLinkOpener([&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    m_dialog->show();
    auto* ok = child<QPushButton>("BitBtnOK");
    auto* mail = child<QToolButton>("sbtnEMail");
    auto* homepage = child<QToolButton>("sbtnHomepage");
    auto* intel = child<QToolButton>("sbtnIntel");

    for (QToolButton* button : {mail, homepage, intel}) {
        button->setFocus();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(m_dialog->focusWidget(), ok);
    }
    QCOMPARE(opened.size(), 3);
    // Each button opens what its caption or hint shows.
    QCOMPARE(opened[0].scheme(), QString("mailto"));
    QCOMPARE(opened[0].path(), mail->text());
    QCOMPARE(opened[1].scheme(), QString("https"));
    QCOMPARE(opened[1].host(), homepage->text());
    QCOMPARE(opened[2].host(), intel->toolTip());
    QCOMPARE(intel->text(), QString("Intel ®"));
    QVERIFY(m_prompts->shown.isEmpty());
}

void InfoDialogTest::linkButtons_goThroughTheDesktop()
{
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    m_dialog->show();
    QTest::mouseClick(child<QToolButton>("sbtnHomepage"), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>("sbtnEMail"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("mailto");

    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls[0].host(), InfoContact::Homepage);
    QCOMPARE(catcher.urls[1].toString(), "mailto:" + InfoContact::EMail);
    QVERIFY(m_prompts->shown.isEmpty());
}

void InfoDialogTest::linkButtons_failedStart_warnsWithAnEmptyText()
{
    m_dialog->setLinkOpener([](const QUrl&) { return false; });
    m_dialog->show();
    child<QToolButton>("sbtnIntel")->setFocus();
    QTest::mouseClick(child<QToolButton>("sbtnIntel"), Qt::LeftButton);
    QCOMPARE(m_prompts->shown.size(), 1);
    QCOMPARE(m_prompts->shown[0].kind, QString("warning"));
    QCOMPARE(m_prompts->shown[0].caption, QString("Fataler Dateifehler !"));
    QCOMPARE(m_prompts->shown[0].text, QString());
    QCOMPARE(m_dialog->focusWidget(), child<QPushButton>("BitBtnOK"));
    QVERIFY(m_dialog->isVisible());
}

void InfoDialogTest::systemInfo_startsTheFirstInstalledTool()
{
    const QStringList tools = SystemInfoTools();
    QVERIFY(tools.size() >= 3);
    // The first tool lies there but cannot be run; the second and third are real.
    auto script = [this](const QString& name) {
        return "#!/bin/sh\necho started > '" + m_dir->filePath(name + ".ran").toUtf8() + "'\n";
    };
    writeFile(tools[0], script(tools[0]), false);
    writeFile(tools[1], script(tools[1]), true);
    writeFile(tools[2], script(tools[2]), true);
    qputenv("PATH", QFile::encodeName(m_dir->path()));

    m_dialog->show();
    QTest::mouseClick(child<QPushButton>("BitBtnSys"), Qt::LeftButton);
    QTRY_VERIFY(QFile::exists(m_dir->filePath(tools[1] + ".ran")));
    QVERIFY(!QFile::exists(m_dir->filePath(tools[0] + ".ran")));
    QVERIFY(!QFile::exists(m_dir->filePath(tools[2] + ".ran")));
    QVERIFY(m_prompts->shown.isEmpty());
    QVERIFY(m_dialog->isVisible());
}

void InfoDialogTest::systemInfo_noToolInstalled_passesSilently()
{
    qputenv("PATH", QFile::encodeName(m_dir->path()));
    m_dialog->show();
    QTest::mouseClick(child<QPushButton>("BitBtnSys"), Qt::LeftButton);
    QVERIFY(m_prompts->shown.isEmpty());
    QVERIFY(m_dialog->isVisible());
}

QTEST_MAIN(InfoDialogTest)
#include "tst_infodialog.moc"
