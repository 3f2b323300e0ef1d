#include "Application.h"

#include "Artwork.h"
#include "Language.h"
#include "Prompts.h"
#include "AlbumLibrary.h"
#include "Version.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QSemaphore>
#include <QSocketNotifier>
#include <QThreadPool>

#include <exception>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool s_terminationRequested = false;

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(title());
    setApplicationVersion(QStringLiteral(QUILBO_VERSION));
    setDesktopFileName(QStringLiteral(QUILBO_APP_ID));
    setWindowIcon(Artwork::programIcon());
    Language::install();
    Artwork::applySkin(*this);
}

void Application::quitOnTerminationSignals()
{
    // A signal handler may do almost nothing: it writes to a pipe, and the
    // event loops end when it is read, so that the store is closed and its
    // lock released as at any other end. Every loop ends, a modal box's
    // too (its question answered No), also before the main loop has begun.
    static int pipe[2] = {-1, -1};
    if (pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(pipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [notifier] {
        char byte;
        if (::read(pipe[1], &byte, 1) > 0) {
            notifier->setEnabled(false);
            s_terminationRequested = true;
            QCoreApplication::exit(0);
        }
    });
    struct sigaction action = {};
    action.sa_handler = [](int) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(pipe[0], &byte, 1);
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

bool Application::terminationRequested() { return s_terminationRequested; }

QString Application::title() { return QStringLiteral("Quilbo 2009"); }

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        reportError(e);
    } catch (...) {
        reportError(tr("未知错误"));
    }
    return false;
}

void Application::showStoreProgress(int done, int total)
{
    static QPointer<QProgressDialog> progress;
    if (done >= total) {
        delete progress;
        return;
    }
    if (!progress) {
        progress = new QProgressDialog(tr("正在处理相册中的图片,请稍候..."), QString(), 0, total);
        progress->setWindowTitle(title());
        progress->setWindowModality(Qt::ApplicationModal);
        // The task cannot stop half way: it is one transaction.
        progress->setCancelButton(nullptr);
        progress->setMinimumDuration(500);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
    }
    progress->setMaximum(total);
    progress->setValue(done);
}

void Application::reportError(const std::exception &error) { reportError(AlbumLibrary::errorMessage(error)); }

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
