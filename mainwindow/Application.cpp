#include "Application.h"

#include "Prompts.h"
#include "SqlError.h"
#include "StoreError.h"

#include <exception>

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(title());
}

QString Application::title() { return QStringLiteral("Quilbo 2009"); }

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        reportError(e);
    } catch (...) {
        reportError(QStringLiteral("未知错误"));
    }
    return false;
}

void Application::reportError(const std::exception &error)
{
    if (const auto *storeError = dynamic_cast<const SqlError *>(&error))
        reportError(storeErrorMessage(*storeError));
    else
        reportError(QString::fromUtf8(error.what()));
}

void Application::reportError(const QString &text)
{
    const QString caption = title();
    try {
        if (Prompts::installed()) {
            Prompts::showError(caption, text);
            return;
        }
    } catch (...) {
        // Fall through: the report itself must never throw.
    }
    qCritical("%s: %s", qPrintable(caption), qPrintable(text));
}
