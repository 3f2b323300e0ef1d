#pragma once
// The program's guide, its README, shown in the program itself: a link to
// a local file may have nothing on the desktop to open it.

#include <QDialog>

class QTextBrowser;

// The guide's file: installed with the program's documentation, or the
// README of the source folder it was built in; empty when there is none.
QString guideFile();

class GuideDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GuideDialog(QWidget *owner = nullptr);

    QTextBrowser *text = nullptr;
};
