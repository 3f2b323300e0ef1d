#include "QtPromptHandler.h"

#include "PasswordPromptBox.h"
#include "PromptMessageBox.h"
#include "Prompts.h"

#include <QLineEdit>

int QtPromptHandler::message(PromptKind kind, const QString &title, const QString &text)
{
    PromptMessageBox box(kind, title, text);
    return box.exec();
}

int QtPromptHandler::askYesNo(const QString &title, const QString &text)
{
    PromptMessageBox box(PromptKind::YesNo, title, text);
    return box.exec();
}

QString QtPromptHandler::askPassword(const QString &title, const QString &prompt)
{
    PasswordPromptBox box(title, prompt);
    return box.exec() == IdOk ? box.entry()->text() : QString();
}
