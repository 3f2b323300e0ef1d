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
    // A box ended without an answer (the session ending under it) is a No:
    // nothing goes ahead that the user did not say Yes to.
    return box.exec() == IdYes ? IdYes : IdNo;
}

QString QtPromptHandler::askPassword(const QString &title, const QString &prompt)
{
    PasswordPromptBox box(title, prompt);
    return box.exec() == IdOk ? box.entry()->text() : QString();
}
