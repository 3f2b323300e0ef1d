// The prompts: each goes to the installed answerer; the Qt boxes are laid
// out to their measures and answer with the right codes.

#include "Modal.h"
#include "PasswordPromptBox.h"
#include "PromptMessageBox.h"
#include "QtPromptHandler.h"
#include "ScriptedPrompts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

void press(QDialog *d, Qt::Key key)
{
    QWidget *target = d->focusWidget() ? d->focusWidget() : d;
    QTest::keyClick(target, key);
}

} // namespace

class TestPrompts : public QObject
{
    Q_OBJECT

private slots:
    void promptsForwardTitleFirst()
    {
        ScriptedPrompts *p = ScriptedPrompts::install();
        p->queueYesNo(IdNo);
        p->queuePassword(QStringLiteral(" pw "));
        QCOMPARE(Prompts::showInfo(QStringLiteral("提示"), QStringLiteral("i")), int(IdOk));
        Prompts::showError(QStringLiteral("错误"), QStringLiteral("e"));
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("w"));
        QCOMPARE(Prompts::askYesNo(QStringLiteral("提示"), QStringLiteral("q")), int(IdNo));
        QCOMPARE(Prompts::askPassword(QStringLiteral("密码认证"), QStringLiteral("p")), QStringLiteral(" pw "));
        const QList<PromptRecord> expected = {
            {PromptKind::Info, QStringLiteral("提示"), QStringLiteral("i")},
            {PromptKind::Error, QStringLiteral("错误"), QStringLiteral("e")},
            {PromptKind::Warning, QStringLiteral("警告"), QStringLiteral("w")},
            {PromptKind::YesNo, QStringLiteral("提示"), QStringLiteral("q")},
            {PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("p")},
        };
        QCOMPARE(p->messages, expected);
        QCOMPARE(p->pendingAnswers(), 0);
    }

    void messageBoxLayout_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("info") << int(PromptKind::Info) << QStringLiteral("图片另存为成功!");
        QTest::newRow("error, short") << int(PromptKind::Error) << QStringLiteral("x");
        QTest::newRow("question, two lines") << int(PromptKind::YesNo) << QStringLiteral("确定删除?\n第二行");
    }
    void messageBoxLayout()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        PromptMessageBox box(PromptKind(kind), QStringLiteral("标题"), text);
        QCOMPARE(box.windowTitle(), QStringLiteral("标题"));
        const QLabel *label = box.textLabel();
        QCOMPARE(label->pos(), QPoint(50, 15));
        QCOMPARE(label->text(), text);
        QVERIFY(!label->wordWrap());
        QCOMPARE(box.iconLabel()->geometry(),
                 QRect(5, std::max(10, 15 + label->height() / 2 - 16), 32, 32));

        const QList<QPushButton *> buttons = box.buttons();
        const QStringList captions = PromptKind(kind) == PromptKind::YesNo
                                         ? QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}
                                         : QStringList{QStringLiteral("OK")};
        QCOMPARE(buttons.size(), captions.size());
        const int n = int(buttons.size());
        const int rowWidth = n * 70 + (n - 1) * 10;
        QCOMPARE(box.height(), 25 + label->height() + 50);
        QCOMPARE(box.width(), std::max(std::max(50 + label->width(), rowWidth) + 40, 130));
        for (int i = 0; i < n; ++i) {
            QCOMPARE(buttons[i]->text(), captions[i]);
            QCOMPARE(buttons[i]->geometry(), QRect((box.width() - rowWidth) / 2 + i * 80, box.height() - 35, 70, 25));
        }
        QVERIFY(buttons.first()->isDefault());
        QVERIFY(box.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void messageBoxGrowsWithItsText()
    {
        PromptMessageBox one(PromptKind::Info, QStringLiteral("t"), QStringLiteral("一行"));
        PromptMessageBox two(PromptKind::Info, QStringLiteral("t"), QStringLiteral("一行\n两行"));
        QVERIFY(two.height() > one.height());
        QCOMPARE(two.height() - one.height(), two.textLabel()->height() - one.textLabel()->height());
        PromptMessageBox wide(PromptKind::Info, QStringLiteral("t"), QString(60, QChar(0x5bbd)));
        QVERIFY(wide.width() > one.width());
        const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
        PromptMessageBox huge(PromptKind::Info, QStringLiteral("t"), QString(2000, QLatin1Char('W')));
        QCOMPARE(huge.width(), screenWidth);
    }

    void messageBoxAnswers_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expected");
        QTest::newRow("info Enter") << int(PromptKind::Info) << "enter" << int(IdOk);
        QTest::newRow("info Esc") << int(PromptKind::Info) << "esc" << int(IdOk);
        QTest::newRow("info close") << int(PromptKind::Warning) << "close" << int(IdCancel);
        QTest::newRow("info click") << int(PromptKind::Error) << "click0" << int(IdOk);
        QTest::newRow("yes/no Enter") << int(PromptKind::YesNo) << "enter" << int(IdYes);
        QTest::newRow("yes/no Esc") << int(PromptKind::YesNo) << "esc" << int(IdNo);
        QTest::newRow("yes/no close") << int(PromptKind::YesNo) << "close" << int(IdNo);
        QTest::newRow("yes/no click Yes") << int(PromptKind::YesNo) << "click0" << int(IdYes);
        QTest::newRow("yes/no click No") << int(PromptKind::YesNo) << "click1" << int(IdNo);
        // Once the focus moves, Enter and Space press the focused button.
        QTest::newRow("yes/no Space") << int(PromptKind::YesNo) << "space" << int(IdYes);
        QTest::newRow("yes/no Tab, Enter") << int(PromptKind::YesNo) << "tab enter" << int(IdNo);
        QTest::newRow("yes/no Tab, Space") << int(PromptKind::YesNo) << "tab space" << int(IdNo);
        QTest::newRow("yes/no Tab, Tab, Enter") << int(PromptKind::YesNo) << "tab tab enter" << int(IdYes);
        QTest::newRow("yes/no Tab, Esc") << int(PromptKind::YesNo) << "tab esc" << int(IdNo);
    }
    void messageBoxAnswers()
    {
        QFETCH(int, kind);
        QFETCH(QString, how);
        QFETCH(int, expected);
        QString seenTitle;
        onNextModal([how, &seenTitle](QDialog *d) {
            seenTitle = d->windowTitle();
            if (how.startsWith(QLatin1String("click"))) {
                static_cast<PromptMessageBox *>(d)->buttons().at(how.right(1).toInt())->click();
                return;
            }
            if (how == QLatin1String("close")) {
                d->close();
                return;
            }
            const QMap<QString, Qt::Key> keys = {{QStringLiteral("enter"), Qt::Key_Return},
                                                 {QStringLiteral("esc"), Qt::Key_Escape},
                                                 {QStringLiteral("tab"), Qt::Key_Tab},
                                                 {QStringLiteral("space"), Qt::Key_Space}};
            for (const QString &key : how.split(QLatin1Char(' ')))
                press(d, keys.value(key));
        });
        QtPromptHandler prompts;
        const int result = PromptKind(kind) == PromptKind::YesNo
                               ? prompts.askYesNo(QStringLiteral("提示"), QStringLiteral("确定?"))
                               : prompts.message(PromptKind(kind), QStringLiteral("提示"), QStringLiteral("消息"));
        QCOMPARE(result, expected);
        QCOMPARE(seenTitle, QStringLiteral("提示"));
    }

    void passwordAnswers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK keeps blanks") << " secret " << "ok" << " secret ";
        QTest::newRow("Enter") << "abc" << "enter" << "abc";
        QTest::newRow("OK empty") << "" << "ok" << "";
        QTest::newRow("Cancel") << "abc" << "cancel" << "";
        QTest::newRow("Esc") << "abc" << "esc" << "";
        QTest::newRow("close") << "abc" << "close" << "";
    }
    void passwordAnswers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        bool masked = false;
        bool startedEmpty = false;
        onNextModal([&](QDialog *d) {
            auto *box = static_cast<PasswordPromptBox *>(d);
            masked = box->entry()->echoMode() == QLineEdit::Password;
            startedEmpty = box->entry()->text().isEmpty();
            QTest::keyClicks(box->entry(), typed);
            if (how == QLatin1String("ok"))
                box->okButton()->click();
            else if (how == QLatin1String("enter"))
                QTest::keyClick(box->entry(), Qt::Key_Return);
            else if (how == QLatin1String("cancel"))
                box->cancelButton()->click();
            else if (how == QLatin1String("esc"))
                QTest::keyClick(box->entry(), Qt::Key_Escape);
            else
                box->close();
        });
        QtPromptHandler prompts;
        QCOMPARE(prompts.askPassword(QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")), expected);
        QVERIFY(masked);
        QVERIFY(startedEmpty);
    }

    void passwordBoxLayout()
    {
        PasswordPromptBox box(QStringLiteral("访问密码"), QStringLiteral("相册已被密码保护!      "));
        QCOMPARE(box.windowTitle(), QStringLiteral("访问密码"));
        const QLabel *prompt = box.promptLabel();
        const QLineEdit *entry = box.entry();
        QCOMPARE(entry->x(), prompt->x());
        QCOMPARE(entry->y(), prompt->y() + prompt->height() + 5);
        QCOMPARE(box.okButton()->y(), entry->y() + entry->height() + 15);
        QCOMPARE(box.cancelButton()->y(), box.okButton()->y());
        QVERIFY(box.okButton()->x() < box.cancelButton()->x());
        QCOMPARE(box.okButton()->text(), QStringLiteral("OK"));
        QCOMPARE(box.cancelButton()->text(), QStringLiteral("Cancel"));
        QVERIFY(box.okButton()->isDefault());
        QCOMPARE(box.height(), box.okButton()->geometry().bottom() + 1 + 13);
        QVERIFY(entry->geometry().right() < box.width());
        // The entry holds at most 255 bytes of GBK text.
        QLineEdit *edit = box.entry();
        edit->setText(QString(127, QChar(0x5bc6)) + QStringLiteral("a"));
        QCOMPARE(edit->text().size(), 128);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("b"));
        QCOMPARE(edit->text().size(), 128);
    }
};

QTEST_MAIN(TestPrompts)
#include "test_prompts.moc"
