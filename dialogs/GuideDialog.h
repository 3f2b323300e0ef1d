#pragma once
// The user's guide, shown in the program itself: a link to a local file may
// have nothing on the desktop to open it.

#include <QDialog>

class QTextBrowser;

// The guide's file in the language the program speaks (the Chinese one
// where there is no other): installed with the program, or in the source
// folder it was built from; empty when there is none.
QString guideFile();

class GuideDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GuideDialog(QWidget *owner = nullptr);

    QTextBrowser *text = nullptr;
};
