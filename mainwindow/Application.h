#pragma once
// The application object. An error that a handler does not catch ends that
// handler and is shown in an error box titled with the application's title;
// the program goes on running.

#include <QApplication>

class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Shows the general error report for an error's text.
    static void ReportError(const QString &text);
};
