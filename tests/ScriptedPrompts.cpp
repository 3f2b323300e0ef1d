#include "ScriptedPrompts.h"

#include "Prompts.h"

#include <QTest>

namespace {

const char *kindName(PromptKind k)
{
    switch (k) {
    case PromptKind::Info:
        return "info";
    case PromptKind::Error:
        return "error";
    case PromptKind::Warning:
        return "warning";
    case PromptKind::YesNo:
        return "yes/no";
    case PromptKind::Password:
        return "password";
    }
    return "?";
}

} // namespace

char *toString(const PromptRecord &r)
{
    return QTest::toString(QStringLiteral("%1 \"%2\": \"%3\"").arg(QLatin1String(kindName(r.kind)), r.title, r.text));
}

ScriptedPrompts *ScriptedPrompts::install()
{
    auto prompts = std::make_unique<ScriptedPrompts>();
    ScriptedPrompts *raw = prompts.get();
    Prompts::install(std::move(prompts));
    return raw;
}

int ScriptedPrompts::message(PromptKind kind, const QString &title, const QString &text)
{
    messages.append({kind, title, text});
    return IdOk;
}

bool ScriptedPrompts::take(PromptKind kind, const QString &title, const QString &text, Answer *answer)
{
    messages.append({kind, title, text});
    if (whenAsked)
        whenAsked();
    if (m_answers.isEmpty() || m_answers.first().kind != kind) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected %1 prompt \"%2\": \"%3\"")
                                    .arg(QLatin1String(kindName(kind)), title, text)),
                     __FILE__, __LINE__);
        return false;
    }
    *answer = m_answers.takeFirst();
    return true;
}

int ScriptedPrompts::askYesNo(const QString &title, const QString &text)
{
    Answer a;
    return take(PromptKind::YesNo, title, text, &a) ? a.code : int(IdNo);
}

QString ScriptedPrompts::askPassword(const QString &title, const QString &prompt)
{
    Answer a;
    return take(PromptKind::Password, title, prompt, &a) ? a.text : QString();
}
