#pragma once
// The message box of the prompts, laid out to fixed measures: text at
// 50,15, icon at left 5, 70-wide buttons centred below.

#include "Prompts.h"

#include <QDialog>

class QLabel;
class QPushButton;

// One message box; a fresh one per message.
class PromptMessageBox : public QDialog
{
    Q_OBJECT
public:
    PromptMessageBox(PromptKind kind, const QString &title, const QString &text, QWidget *parent = nullptr);
    QLabel *textLabel() const { return m_text; }
    QLabel *iconLabel() const { return m_icon; }
    QList<QPushButton *> buttons() const { return m_buttons; }

public slots:
    // Esc and the title bar's close control end here.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void addButton(const QString &caption, int code);

    QLabel *m_text = nullptr;
    QLabel *m_icon = nullptr;
    QList<QPushButton *> m_buttons;
    int m_escapeCode = IdOk;
    int m_closeCode = IdCancel;
};
