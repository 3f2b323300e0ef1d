#include "Prompts.h"

#include <stdexcept>

namespace Prompts {

namespace {

std::unique_ptr<PromptHandler> &handlerSlot()
{
    static std::unique_ptr<PromptHandler> handler;
    return handler;
}

PromptHandler &handler()
{
    if (!handlerSlot())
        throw std::logic_error("no prompts installed");
    return *handlerSlot();
}

} // namespace

void install(std::unique_ptr<PromptHandler> handler) { handlerSlot() = std::move(handler); }

PromptHandler *installed() { return handlerSlot().get(); }

int showInfo(const QString &title, const QString &message)
{
    return handler().message(PromptKind::Info, title, message);
}

int showError(const QString &title, const QString &message)
{
    return handler().message(PromptKind::Error, title, message);
}

int showWarning(const QString &title, const QString &message)
{
    return handler().message(PromptKind::Warning, title, message);
}

int askYesNo(const QString &title, const QString &message) { return handler().askYesNo(title, message); }

QString askPassword(const QString &title, const QString &prompt) { return handler().askPassword(title, prompt); }

} // namespace Prompts
