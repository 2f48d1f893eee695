#include "dialogs/TaggedTexts.h"

#include "platform/StringTable.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace {
constexpr char TagProperty[] = "tag";
}

void tagControl(QWidget* control, int tag)
{
    control->setProperty(TagProperty, tag);
}

void applyTaggedTexts(QWidget* window, int offset)
{
    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        const int tag = control->property(TagProperty).toInt();
        if (tag == 0)
            continue;
        const QString text = StringTable::LoadStr(tag + offset);
        if (auto* group = qobject_cast<QGroupBox*>(control))
            group->setTitle(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setText(text);
        else if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(text);
    }
}
