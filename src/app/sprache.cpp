#include "sprache.h"

#include "StringTable.h"

#include <QAction>
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
        if (action->property(ToolButtonProperty).toBool())
            action->setToolTip(text);
        else
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
