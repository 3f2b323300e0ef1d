#pragma once
// The application object: the program's name, version and icon, its texts
// and Qt's own in the user's language, and the skin. An error that a
// handler does not catch ends that handler and is shown in an error box
// titled with the application's title; the program goes on running.

#include <QApplication>

#include <exception>
#include <functional>

class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // The application title, which also titles the general error report.
    static QString title();

    // SIGTERM, SIGINT and SIGHUP end the program as closing its window
    // does, with the store closed and its lock released.
    static void quitOnTerminationSignals();
    // A termination signal came: the program is ending.
    static bool terminationRequested();

    // Shows the general error report for an error's text.
    static void reportError(const QString &text);
    // The same for an error: a store error is told in Chinese, with the
    // engine's text as a detail; any other by its own text.
    static void reportError(const std::exception &error);

    // Shows how far a long store task has gone (pictures of a protected
    // album encrypted or decrypted), in a progress window that appears when
    // the task takes more than a moment; the store's progress handler.
    static void showStoreProgress(int done, int total);

    // Runs a handler and reports an error it does not catch. For handlers
    // called from inside Qt's own processing (item views, delegates), where
    // an error must not unwind through Qt.
    template <typename F>
    static void guard(F &&handler)
    {
        try {
            handler();
        } catch (const std::exception &e) {
            reportError(e);
        } catch (...) {
            reportError(tr("未知错误"));
        }
    }
};
