#pragma once
// The five prompts every window uses: message boxes titled first, a Yes/No
// question and the password prompt. They go to one installed handler: the
// program installs the Qt boxes, tests a scripted answerer.

#include <QString>

#include <memory>

// Result codes of a box: the button that closed it.
enum PromptResult : int {
    IdOk = 1,
    IdCancel = 2,
    IdYes = 6,
    IdNo = 7,
};

enum class PromptKind { Info, Error, Warning, YesNo, Password };

class PromptHandler
{
public:
    virtual ~PromptHandler() = default;
    // Info, error and warning boxes; returns the result code.
    virtual int message(PromptKind kind, const QString &title, const QString &text) = 0;
    // IdYes, or IdNo for No, Esc and a box closed without a button.
    virtual int askYesNo(const QString &title, const QString &text) = 0;
    // The entry as typed on OK; empty text on Cancel, Esc or close.
    virtual QString askPassword(const QString &title, const QString &prompt) = 0;
};

namespace Prompts {

// Replaces the program's handler. Without one, every prompt is a
// programming error (std::logic_error).
void install(std::unique_ptr<PromptHandler> handler);
// The handler installed, or null.
PromptHandler *installed();

int showInfo(const QString &title, const QString &message);
int showError(const QString &title, const QString &message);
int showWarning(const QString &title, const QString &message);
int askYesNo(const QString &title, const QString &message);
QString askPassword(const QString &title, const QString &prompt);

} // namespace Prompts
