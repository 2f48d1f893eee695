// The editor document on a bare pane, without the main window: a save that fails, wherever the user
// started it, leaves the text in the pane and the document modified under its old name.

#include "editor/EditorDocument.h"
#include "settings/GlobVar_Unit.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <functional>
#include <memory>

using namespace GlobVar;
using Answer = Prompts::Answer;

class EditorDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void failedSave_keepsUnsavedText_data();
    void failedSave_keepsUnsavedText();
    void savedAs_takesNameAndClearsMark();

private:
    QString makeFile(const QString& name, const QByteArray& bytes) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<QPlainTextEdit> m_pane;
    std::array<QAction, 7> m_actions;
    std::unique_ptr<EditorDocument> m_document;
};

void EditorDocumentTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ResetGlobals();
    Language = 1;
    SourceCodePfad = m_dir->path();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_pane = std::make_unique<QPlainTextEdit>();
    auto& a = m_actions;
    m_document = std::make_unique<EditorDocument>(
        m_pane.get(), EditorDocument::Actions{&a[0], &a[1], &a[2], &a[3], &a[4], &a[5], &a[6]});
    connect(m_pane.get(), &QPlainTextEdit::textChanged, m_document.get(),
            qOverload<>(&EditorDocument::textChanged));
    m_document->setFileTexts();
    CurrentFileName = DefaultFileName;
}

void EditorDocumentTest::cleanup()
{
    // The prompts uninstall themselves: the next test's must not be made before these go.
    m_document.reset();
    m_pane.reset();
    m_prompts.reset();
}

QString EditorDocumentTest::makeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = m_dir->filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

void EditorDocumentTest::failedSave_keepsUnsavedText_data()
{
    using Command = std::function<void(EditorDocument&)>;
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("asks");
    QTest::newRow("save") << Command([](EditorDocument& d) { d.save(); }) << false;
    QTest::newRow("close, Yes") << Command([](EditorDocument& d) { d.close(); }) << true;
    QTest::newRow("recent file, Yes") << Command([](EditorDocument& d) { d.openRecent(1); }) << true;
    QTest::newRow("drop, Yes") << Command([](EditorDocument& d) { d.openDropped({RecentFiles[0]}); }) << true;
    QTest::newRow("program end, Yes") << Command([](EditorDocument& d) { d.mayEnd(); }) << true;
}

void EditorDocumentTest::failedSave_keepsUnsavedText()
{
    QFETCH(std::function<void(EditorDocument&)>, command);
    QFETCH(bool, asks);
    RecentFiles = QStringList{makeFile("other.bas", "10 OTHER\r\n")};
    RecentCount = 1;
    m_pane->insertPlainText("10 PRECIOUS");
    QVERIFY(EditorModified);

    if (asks)
        m_prompts->answers.enqueue(Answer::Yes);
    // The Save As target cannot be written: its folder is a plain file.
    m_prompts->files.enqueue(makeFile("plain", "x") + "/new.bas");
    QVERIFY_THROWS_EXCEPTION(std::exception, command(*m_document));

    QCOMPARE(m_pane->toPlainText(), QString("10 PRECIOUS"));
    QVERIFY(EditorModified);
    QCOMPARE(CurrentFileName, DefaultFileName);
    QVERIFY(m_actions[0].isEnabled());
    QVERIFY(!CloseCancelled);
}

void EditorDocumentTest::savedAs_takesNameAndClearsMark()
{
    QSignalSpy captions(m_document.get(), &EditorDocument::captionChanged);
    m_pane->insertPlainText("10 REM");
    QCOMPARE(captions.last().first().toString(), QString("Editor - ohne Namen *"));
    const QString target = m_dir->filePath("saved.bas");
    m_prompts->files.enqueue(target);
    m_document->save();
    QCOMPARE(CurrentFileName, target);
    QVERIFY(!EditorModified);
    QVERIFY(!m_actions[1].isEnabled()); // the toolbar's Save
    QCOMPARE(captions.last().first().toString(), QString("Editor - saved.bas"));
    QCOMPARE(RecentFiles.value(0), target);
}

QTEST_MAIN(EditorDocumentTest)
#include "tst_editordocument.moc"
