#pragma once

#include <QString>
#include <stdexcept>

// A failure that ends the current user command; the general error report shows its message.
class AppError : public std::runtime_error
{
public:
    explicit AppError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
