#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The program's pictures. A command with a freedesktop name (document-open, edit-cut ...) shows the
// desktop theme's picture of that name; the program's own drawing of the same name stands in where the
// theme has none. Names beginning with "taloma-" are the program's own commands and always show its
// own drawing. Each own drawing is rendered at 16, 20 (the toolbars), 24, 32 and 48 pixels and carries a
// disabled look of its own, so that a disabled button reads as such whatever the style does.
namespace Icons {

// The theme's picture of the name, else the program's own; a null icon when neither exists.
QIcon named(const QString& name);

// Only the program's own drawing of the name (a null icon when there is none).
QIcon own(const QString& name);

// The application's icon at every size it is drawn in.
QIcon application();

// The disabled look of a picture: grey, light and half transparent.
QImage disabledLook(const QImage& picture);

} // namespace Icons
