#pragma once

#include <functional>

class Messages;

// The application's general error report: the one place where an error that escapes a user
// command is caught and its message shown in an error box. No exception crosses the event loop.
namespace ErrorReport {

// Runs the command; an error escaping it is shown through messages. True when it ran through.
bool run(Messages &messages, const std::function<void()> &command);

// Wraps a command for a signal connection.
template <typename F> auto guarded(Messages *messages, F command)
{
    return [messages, command](auto &&...) { run(*messages, command); };
}

} // namespace ErrorReport
