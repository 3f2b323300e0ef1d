#pragma once
// The prompts as modal Qt dialogs: what the program installs.

#include "Prompts.h"

class QtPromptHandler : public PromptHandler
{
public:
    int message(PromptKind kind, const QString &title, const QString &text) override;
    int askYesNo(const QString &title, const QString &text) override;
    QString askPassword(const QString &title, const QString &prompt) override;
};
