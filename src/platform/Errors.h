#pragma once

#include <QString>
#include <stdexcept>

// The program's exceptions. Each carries the user-visible message text; the general error display
// shows exactly that text and the program goes on.
class TalomaError : public std::runtime_error {
public:
    explicit TalomaError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

// A text that is not an integer ("'%s' ist kein gültiger Integerwert").
class EConvertError final : public TalomaError {
public:
    using TalomaError::TalomaError;
};

// A file that cannot be read or written.
class EFileError final : public TalomaError {
public:
    using TalomaError::TalomaError;
};

// A settings value or key that cannot be read, written or created.
class ERegistryError final : public TalomaError {
public:
    using TalomaError::TalomaError;
};

// The text shown for any exception that reaches the general error display.
QString errorText(const std::exception& e);
