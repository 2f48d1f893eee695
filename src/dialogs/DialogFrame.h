#pragma once

#include <QDialog>

#include <functional>

class QKeyEvent;
class QPushButton;

// What the program's dialogs share in how they open and close.

// Puts a fixed-size dialog in the middle of the screen it is on.
void centreOnScreen(QWidget* window);

// A button that closes the dialog with `result` after running `handler`. The result is set before the
// handler runs, so the dialog closes with it even when the handler fails.
void closeWith(QDialog* dialog, QPushButton* button, QDialog::DialogCode result, std::function<void()> handler);

// Esc without a modifier: the key the dialogs give a meaning of their own instead of the plain close.
bool isPlainEscape(const QKeyEvent* event);
