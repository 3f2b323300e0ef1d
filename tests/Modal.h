#pragma once
// Answers a modal dialog from a test: the action runs on the next modal
// dialog as soon as it is shown.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QUrl>

#include <functional>

inline void onNextModal(std::function<void(QDialog *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(d);
        }
    });
    timer->start();
}

// Catches the addresses the program asks the desktop to open, when set as
// the handler of their scheme with QDesktopServices::setUrlHandler.
class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};
