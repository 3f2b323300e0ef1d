#pragma once
// The prompts as modal Qt dialogs, laid out to fixed measures: the message
// box (text at 50,15, icon at left 5, 70-wide buttons centred below) and the
// password box (sizes in dialog units of the dialog font).

#include "Prompts.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// One message box; a fresh one per message.
class TMesBox : public QDialog
{
    Q_OBJECT
public:
    TMesBox(PromptKind kind, const QString &title, const QString &text, QWidget *parent = nullptr);
    QLabel *TextLabel() const { return m_text; }
    QLabel *IconLabel() const { return m_icon; }
    QList<QPushButton *> Buttons() const { return m_buttons; }

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

// The password prompt; the entry is masked.
class TPasswordBox : public QDialog
{
    Q_OBJECT
public:
    TPasswordBox(const QString &title, const QString &prompt, QWidget *parent = nullptr);
    QLineEdit *Entry() const { return m_entry; }
    QLabel *PromptLabel() const { return m_prompt; }
    QPushButton *OkButton() const { return m_ok; }
    QPushButton *CancelButton() const { return m_cancel; }

public slots:
    void reject() override;

private:
    QLabel *m_prompt = nullptr;
    QLineEdit *m_entry = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

class TQtPrompts : public IPrompts
{
public:
    int Message(PromptKind kind, const QString &title, const QString &text) override;
    int AskYesNo(const QString &title, const QString &text) override;
    QString AskPassword(const QString &title, const QString &prompt) override;
};
