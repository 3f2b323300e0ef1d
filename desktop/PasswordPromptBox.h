#pragma once
// The password prompt, sized in dialog units of its font; the entry is
// masked.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class PasswordPromptBox : public QDialog
{
    Q_OBJECT
public:
    PasswordPromptBox(const QString &title, const QString &prompt, QWidget *parent = nullptr);
    QLineEdit *entry() const { return m_entry; }
    QLabel *promptLabel() const { return m_prompt; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

public slots:
    void reject() override;

private:
    QLabel *m_prompt = nullptr;
    QLineEdit *m_entry = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
