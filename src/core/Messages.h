#pragma once

#include <QString>

// The three kinds of message box every window uses. The application shows real boxes; tests
// answer ahead of time and read what was shown.
class Messages
{
public:
    virtual ~Messages() = default;
    // An error with an OK button; the action stops.
    virtual void error(const QString &text) = 0;
    // A warning with an OK button.
    virtual void warning(const QString &text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool question(const QString &text) = 0;

    enum class Answer { Yes, No, Cancel };
    // A question with Yes, No and Cancel, for a choice that may also be called off.
    virtual Answer questionWithCancel(const QString &text) = 0;
};
