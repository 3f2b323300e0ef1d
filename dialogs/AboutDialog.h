#pragma once
// The About box: the program's name and version, and the maker's lines.

#include "DialogBase.h"

class QTabWidget;
class QUrl;

// The address the program's links open: its own guide.
QUrl webLogUrl();

class AboutDialog : public DialogBase
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *owner = nullptr);

    void openWebLog();

    QTabWidget *pages = nullptr;
    QLabel *webLogLabel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
