#pragma once
// The About box: the program's name and version, and the maker's lines.

#include "DialogBase.h"

class QTabWidget;

class AboutDialog : public DialogBase
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *owner = nullptr);

    // Opens the program's guide.
    void openWebLog();

    QTabWidget *pages = nullptr;
    QLabel *webLogLabel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
