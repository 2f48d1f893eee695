#pragma once

#include <QApplication>

// The program's application object. Any exception that escapes a command or an event handler is
// caught here and its text shown through the general error display; the program goes on.
class Application final : public QApplication {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Application)

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
