#include "dialogs/TaggedTexts.h"

#include "platform/StringTable.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace {

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

void tagControl(QObject* control, int tag) { control->setProperty(TagProperty, tag); }

void applyTaggedText(QObject* component, int offset)
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

void applyTaggedTexts(QWidget* window, int offset)
{
    const auto controls = window->findChildren<QObject*>();
    for (QObject* control : controls)
        applyTaggedText(control, offset);
}
