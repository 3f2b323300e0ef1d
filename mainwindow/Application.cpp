#include "Application.h"

#include "PicDMUnit.h"

#include <exception>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(Title());
}

QString TApplication::Title() { return QStringLiteral("Quilbo 2009"); }

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ReportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("未知错误"));
    }
    return false;
}

void TApplication::ReportError(const QString &text)
{
    const QString title = Title();
    try {
        if (PicDM && PicDM->Prompts()) {
            PicDM->ShowError(title, text);
            return;
        }
    } catch (...) {
        // Fall through: the report itself must never throw.
    }
    qCritical("%s: %s", qPrintable(title), qPrintable(text));
}
