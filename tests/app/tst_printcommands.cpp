// The print commands as the main window offers them: their place in the File menu, the toolbar button,
// the printer setup and the preview, and a failed job shown by the general error display.

#include "app/TfrmTerminal.h"
#include "settings/GlobVar_Unit.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace GlobVar;

class PrintCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commands_fromMenuAndToolbarReachTheirDialogs();
    void failedJob_shownAndDocumentUnchanged();

private:
    QAction* action(const char* name) const { return m_window->findChild<QAction*>(QLatin1String(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TfrmTerminal> m_window;
    QString m_pdf;
};

void PrintCommandsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ResetGlobals();
    SettingsStore::resetForTests(m_dir->filePath("HKEY_CURRENT_USER.reg"));
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_pdf = m_dir->filePath("listing.pdf");
    m_prompts->onPrinter = [this](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdf);
    };
    m_window = std::make_unique<TfrmTerminal>();
}

void PrintCommandsTest::cleanup()
{
    m_window.reset();
    m_prompts.reset();
    m_dir.reset();
}

void PrintCommandsTest::commands_fromMenuAndToolbarReachTheirDialogs()
{
    const QList<QAction*> items = m_window->findChild<QMenu*>("mnuDatei")->actions();
    const qsizetype print = items.indexOf(action("mnuDrucken"));
    QVERIFY(print >= 0);
    QCOMPARE(items.value(print + 1), action("mnuDruckvorschau"));
    QCOMPARE(items.value(print + 2), action("Druckereinrichtung1"));

    // Nothing to print: no dialog.
    action("tbnDrucken")->trigger();
    QVERIFY(m_prompts->shown.isEmpty());

    QList<QPrinter*> printers;
    m_prompts->onPrinter = [this, &printers](QPrinter& printer) {
        printers.append(&printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdf);
    };
    action("Druckereinrichtung1")->trigger();
    QCOMPARE(m_prompts->texts("printer setup").size(), 1);
    QVERIFY(!QFile::exists(m_pdf));

    m_window->RTF->setPlainText("10 PRINT 1\n20 END");
    m_prompts->printChoices.enqueue({});
    action("tbnDrucken")->trigger();
    QCOMPARE(m_prompts->texts("print"), QStringList{"pages 1-1"});
    QVERIFY(QFile(m_pdf).size() > 0);
    // What the setup chose is the next print's printer.
    QCOMPARE(printers.size(), 2);
    QCOMPARE(printers[1], printers[0]);

    action("mnuDruckvorschau")->trigger();
    m_window->mnuEnglishClick();
    action("mnuDruckvorschau")->trigger();
    QStringList titles;
    for (const auto& shown : m_prompts->shown)
        if (shown.kind == "preview")
            titles.append(shown.caption);
    QCOMPARE(titles, (QStringList{"Druckvorschau", "Print Preview"}));
    QCOMPARE(m_prompts->texts("message"), QStringList());
}

void PrintCommandsTest::failedJob_shownAndDocumentUnchanged()
{
    m_window->RTF->setPlainText("10 PRINT 1");
    const bool modified = EditorModified;
    const QString tabText = m_window->PageControl1->tabText(1);
    m_pdf = m_dir->filePath("missing/listing.pdf");
    m_prompts->printChoices.enqueue({});
    action("mnuDrucken")->trigger();
    QCOMPARE(m_prompts->texts("message"),
             QStringList{QString("Der Druckauftrag für %1 konnte nicht gestartet werden.").arg(m_pdf)});
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 PRINT 1"));
    QCOMPARE(EditorModified, modified);
    QCOMPARE(CurrentFileName, DefaultFileName);
    QCOMPARE(m_window->PageControl1->tabText(1), tabText);
}

QTEST_MAIN(PrintCommandsTest)
#include "tst_printcommands.moc"
