#include "sprache.h"

#include "platform/StringTable.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace sprache {

namespace {

QList<QPointer<QWidget>>& windows()
{
    static QList<QPointer<QWidget>> list;
    return list;
}

} // namespace

void RegisterWindow(QWidget* window)
{
    windows().removeAll(nullptr);
    if (!windows().contains(window))
        windows().append(window);
}

void UnregisterWindow(QWidget* window) { windows().removeAll(window); }

bool ApplyQtTranslation(int language)
{
    // Installing or removing a translation sends every widget a language change, so it is done only
    // when the language really changes.
    static QPointer<QTranslator> german;
    static bool installed = false;
    if (language != 1) {
        if (german && installed)
            QCoreApplication::removeTranslator(german);
        installed = false;
        return true;
    }
    if (!german) {
        installed = false;
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return false;
        }
        german = translator;
    }
    if (!installed)
        installed = QCoreApplication::installTranslator(german);
    return installed;
}

void ApplyLanguage(int offset)
{
    windows().removeAll(nullptr);
    const auto list = windows();
    for (const QPointer<QWidget>& window : list) {
        if (!window)
            continue;
        const auto components = window->findChildren<QObject*>();
        for (QObject* component : components)
            applyTaggedText(component, offset);
    }
}

} // namespace sprache
