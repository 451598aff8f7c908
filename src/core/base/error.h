#pragma once

#include <QString>

#include <exception>
#include <optional>
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

// Runs one event entry point and returns the text of whatever it raised, or
// nothing. Every entry point from the event loop goes through this (directly
// or through the window's guard), so no exception ever leaves a Qt slot.
template <typename F>
std::optional<QString> catchError(F &&entryPoint) noexcept
{
    try {
        entryPoint();
    } catch (const Error &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
    return std::nullopt;
}

} // namespace velmora
