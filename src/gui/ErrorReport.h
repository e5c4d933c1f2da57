#pragma once

#include <QString>

#include <functional>

class Messages;
class TextCatalog;

// The application's general error report: the one place where an error that escapes a user
// command is caught and its message shown in an error box. No exception crosses the event loop.
namespace ErrorReport {

// The catalog entry shown when a command runs out of memory.
constexpr int OutOfMemoryText = 1200;

// Makes the report take its own texts from the catalog while this object lives (the application's
// windows hold one); without one, the English defaults apply.
class CatalogInUse
{
public:
    explicit CatalogInUse(const TextCatalog &catalog);
    ~CatalogInUse();
    CatalogInUse(const CatalogInUse &) = delete;
    CatalogInUse &operator=(const CatalogInUse &) = delete;

private:
    const TextCatalog *m_previous;
};

// The out-of-memory sentence in the language in use.
QString outOfMemoryText();

// Runs the command; an error escaping it is shown through messages (running out of memory as a
// plain sentence of the catalog). True when it ran through.
bool run(Messages &messages, const std::function<void()> &command);

// Wraps a command for a signal connection.
template <typename F> auto guarded(Messages *messages, F command)
{
    return [messages, command](auto &&...) { run(*messages, command); };
}

} // namespace ErrorReport
