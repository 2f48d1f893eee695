// The application object's general error display: an exception that escapes a handler is shown and the
// program goes on.

#include "app/Application.h"
#include "platform/Errors.h"
#include "support/ScriptedPrompts.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <new>

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void exceptionFromClickHandler_isShownAndProgramGoesOn();
    void exceptionFromTimer_isShownAndEventLoopGoesOn();
    void outOfMemory_saysSoInWords();
};

void ApplicationTest::exceptionFromClickHandler_isShownAndProgramGoesOn()
{
    ScriptedPrompts prompts;
    QPushButton button("Sortieren");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        if (++clicks == 1)
            throw EConvertError("'10PRINT' ist kein gültiger Integerwert");
    });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(prompts.texts("message"), QStringList{"'10PRINT' ist kein gültiger Integerwert"});
    // The button still works afterwards.
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(prompts.texts("message").size(), 1);
}

void ApplicationTest::exceptionFromTimer_isShownAndEventLoopGoesOn()
{
    ScriptedPrompts prompts;
    bool later = false;
    QTimer::singleShot(0, [] { throw std::runtime_error("plain failure"); });
    QTimer::singleShot(20, [&] { later = true; });
    QTRY_VERIFY(later);
    QCOMPARE(prompts.texts("message"), QStringList{"plain failure"});
}

void ApplicationTest::outOfMemory_saysSoInWords()
{
    ScriptedPrompts prompts;
    runCommand([] { throw std::bad_alloc(); });
    QCOMPARE(prompts.texts("message"),
             QStringList{"Nicht genug Arbeitsspeicher für diesen Befehl (std::bad_alloc)."});
}

int main(int argc, char** argv)
{
    Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_application.moc"
