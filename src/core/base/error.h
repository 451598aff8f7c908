#pragma once

#include <QString>

#include <stdexcept>

namespace velmora {

// The one exception type of the program: a single message text, shown by the
// general error display with a full stop added.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace velmora
