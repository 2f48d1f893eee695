#include "sprache.h"

#include "platform/StringTable.h"

#include <QAction>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>
#include <QAbstractButton>

namespace sprache {

namespace {

QList<QPointer<QWidget>>& windows()
{
    static QList<QPointer<QWidget>> list;
    return list;
}

void setTabCaption(QWidget* sheet, const QString& text)
{
    for (QWidget* p = sheet->parentWidget(); p; p = p->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
            const int index = tabs->indexOf(sheet);
            if (index >= 0)
                tabs->setTabText(index, text);
            return;
        }
    }
}

} // namespace

void RegisterWindow(QWidget* window)
{
    windows().removeAll(nullptr);
    if (!windows().contains(window))
        windows().append(window);
}

void UnregisterWindow(QWidget* window) { windows().removeAll(window); }

void ApplyLanguageTo(QObject* component, int offset)
{
    const int tag = component->property(TagProperty).toInt();
    if (tag == 0)
        return;
    const QString text = StringTable::LoadStr(tag + offset);
    if (auto* action = qobject_cast<QAction*>(component)) {
        // A button's hint is its text too (shown in the toolbar's overflow menu).
        if (action->property(ToolButtonProperty).toBool())
            action->setToolTip(text);
        action->setText(text);
    } else if (auto* menu = qobject_cast<QMenu*>(component)) {
        menu->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(component)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(component)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(component)) {
        group->setTitle(text);
    } else if (auto* widget = qobject_cast<QWidget*>(component); widget && widget->property(TabSheetProperty).toBool()) {
        setTabCaption(widget, text);
    }
    // Other kinds of control keep their text.
}

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
            ApplyLanguageTo(component, offset);
    }
}

} // namespace sprache
