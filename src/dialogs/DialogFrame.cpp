#include "dialogs/DialogFrame.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void closeWith(QDialog* dialog, QPushButton* button, QDialog::DialogCode result, std::function<void()> handler)
{
    QObject::connect(button, &QPushButton::clicked, dialog, [dialog, result, handler = std::move(handler)] {
        dialog->setResult(result);
        handler();
        dialog->done(result);
    });
}

bool isPlainEscape(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier;
}
