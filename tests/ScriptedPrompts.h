#pragma once
// A prompt answerer for tests: records every message with its kind, title and
// text, and answers questions from a queue. A question with no queued answer
// fails the running test instead of waiting for a user.

#include "Prompts.h"

#include <QList>
#include <QString>

class TPicDM;

struct PromptRecord
{
    PromptKind kind;
    QString title;
    QString text;
    bool operator==(const PromptRecord &o) const { return kind == o.kind && title == o.title && text == o.text; }
};

char *toString(const PromptRecord &r); // for QCOMPARE

class ScriptedPrompts : public IPrompts
{
public:
    // Installs a new answerer in dm and returns it (dm owns it).
    static ScriptedPrompts *Install(TPicDM &dm);

    void QueueYesNo(int code) { m_answers.append({PromptKind::YesNo, code, QString()}); }
    void QueuePassword(const QString &text) { m_answers.append({PromptKind::Password, 0, text}); }
    int PendingAnswers() const { return int(m_answers.size()); }

    QList<PromptRecord> Messages;

    int Message(PromptKind kind, const QString &title, const QString &text) override;
    int AskYesNo(const QString &title, const QString &text) override;
    QString AskPassword(const QString &title, const QString &prompt) override;

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
