#include "Application.h"

#include "platform/Prompts.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showError(e);
    } catch (...) {
        Prompts::instance().message(QStringLiteral("Unbekannter Fehler"));
    }
    return false;
}
