#include "OffThread.h"

#include <QEventLoop>
#include <QCursor>
#include <QGuiApplication>
#include <QSemaphore>
#include <QThreadPool>

void runOffThread(const std::function<void()> &work)
{
    QEventLoop wait;
    QSemaphore done;
    QThreadPool::globalInstance()->start([&work, &wait, &done] {
        work();
        QMetaObject::invokeMethod(&wait, "quit", Qt::QueuedConnection);
        done.release();
    });
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    // The loop also ends when every loop is told to end (the program is
    // ending): the work still has what it uses until it is done.
    done.acquire();
    QGuiApplication::restoreOverrideCursor();
}
