#pragma once
// A prompt answerer for tests: records every message with its kind, title and
// text, and answers questions from a queue. A question with no queued answer
// fails the running test instead of waiting for a user.

#include "Prompts.h"

#include <QList>
#include <QString>

#include <functional>

struct PromptRecord
{
    PromptKind kind;
    QString title;
    QString text;
    bool operator==(const PromptRecord &o) const { return kind == o.kind && title == o.title && text == o.text; }
};

char *toString(const PromptRecord &r); // for QCOMPARE

class ScriptedPrompts : public PromptHandler
{
public:
    // Installs a new answerer as the program's prompts and returns it.
    static ScriptedPrompts *install();

    void queueYesNo(int code) { m_answers.append({PromptKind::YesNo, code, QString()}); }
    void queuePassword(const QString &text) { m_answers.append({PromptKind::Password, 0, text}); }
    int pendingAnswers() const { return int(m_answers.size()); }

    QList<PromptRecord> messages;
    // Called as each question is asked, before it is answered: a test looks
    // at the windows as the user would see them then.
    std::function<void()> whenAsked;

    int message(PromptKind kind, const QString &title, const QString &text) override;
    int askYesNo(const QString &title, const QString &text) override;
    QString askPassword(const QString &title, const QString &prompt) override;

private:
    struct Answer
    {
        PromptKind kind;
        int code;
        QString text;
    };
    bool take(PromptKind kind, const QString &title, const QString &text, Answer *answer);
    QList<Answer> m_answers;
};
