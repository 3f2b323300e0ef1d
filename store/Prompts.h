#pragma once
// The five prompts every window uses. TPicDM forwards to one IPrompts; the
// program installs the Qt boxes, tests install a scripted answerer.

#include <QString>

// Result codes of a box: the button that closed it.
enum PromptResult : int {
    IdOk = 1,
    IdCancel = 2,
    IdYes = 6,
    IdNo = 7,
};

enum class PromptKind { Info, Error, Warning, YesNo, Password };

class IPrompts
{
public:
    virtual ~IPrompts() = default;
    // Info, error and warning boxes; returns the result code.
    virtual int Message(PromptKind kind, const QString &title, const QString &text) = 0;
    // IdYes, or IdNo for No, Esc and a box closed without a button.
    virtual int AskYesNo(const QString &title, const QString &text) = 0;
    // The entry as typed on OK; empty text on Cancel, Esc or close.
    virtual QString AskPassword(const QString &title, const QString &prompt) = 0;
};
