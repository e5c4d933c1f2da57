#pragma once

#include "Messages.h"

#include <QList>
#include <QString>
#include <QStringList>

// Records every message shown; questions take the next prepared answer (Yes when none is left).
class FakeMessages : public Messages
{
public:
    struct Shown
    {
        QString kind; // "error", "warning", "question" or "choice"
        QString text;
    };

    void error(const QString &text) override { m_shown.append({QStringLiteral("error"), text}); }
    void warning(const QString &text) override { m_shown.append({QStringLiteral("warning"), text}); }
    bool question(const QString &text) override
    {
        m_shown.append({QStringLiteral("question"), text});
        return m_answers.isEmpty() ? true : m_answers.takeFirst();
    }

    // Recorded as kind "choice"; takes the next prepared choice (Yes when none is left).
    Answer questionWithCancel(const QString &text) override
    {
        m_shown.append({QStringLiteral("choice"), text});
        return m_choices.isEmpty() ? Answer::Yes : m_choices.takeFirst();
    }

    void setNextAnswer(bool yes) { m_answers.append(yes); }
    void setNextChoice(Answer answer) { m_choices.append(answer); }
    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const
    {
        QStringList t;
        for (const Shown &s : m_shown)
            t.append(s.text);
        return t;
    }
    QString last() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    QString lastKind() const { return m_shown.isEmpty() ? QString() : m_shown.last().kind; }
    int count() const { return int(m_shown.size()); }
    void clear()
    {
        m_shown.clear();
        m_answers.clear();
        m_choices.clear();
    }

private:
    QList<Shown> m_shown;
    QList<bool> m_answers;
    QList<Answer> m_choices;
};
