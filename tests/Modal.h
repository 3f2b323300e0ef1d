#pragma once
// Answers a modal dialog from a test: the action runs on the next modal
// dialog as soon as it is shown.

#include <QApplication>
#include <QDialog>
#include <QTimer>

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
