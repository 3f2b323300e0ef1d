// The new album dialog and its command: checks in their order, key filters,
// byte limits, and the album added to the store and the tree.

#include "FormFixture.h"
#include "Modal.h"
#include "NewLibUnit.h"
#include "TextRules.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// The next widget that Tab moves to.
QWidget *nextTab(QWidget *w)
{
    for (QWidget *n = w->nextInFocusChain(); n != w; n = n->nextInFocusChain())
        if ((n->focusPolicy() & Qt::TabFocus) && n->isVisibleTo(w->window()))
            return n;
    return nullptr;
}

} // namespace

class TestNewLib : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.Setup());
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("ABC"), QString()));
    }
    void cleanup() { m_f.Teardown(); }

    void layoutAndTabOrder()
    {
        TNewLibForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("新建相册"));
        QCOMPARE(form.size(), QSize(309, 159));
        QCOMPARE(form.LibName->geometry(), QRect(59, 59, 156, 17));
        QCOMPARE(form.LibPass->geometry(), QRect(59, 87, 156, 17));
        QCOMPARE(form.NewLibBtn->geometry(), QRect(61, 118, 75, 21));
        QCOMPARE(form.LibOutBtn->geometry(), QRect(140, 118, 75, 21));
        QCOMPARE(form.NewLibBtn->text(), QStringLiteral("新建"));
        QCOMPARE(form.LibOutBtn->text(), QStringLiteral("关闭"));
        QCOMPARE(form.LibPass->echoMode(), QLineEdit::Password);
        QVERIFY(!form.NewLibBtn->isDefault() && !form.NewLibBtn->autoDefault());
        QCOMPARE(nextTab(form.NewLibBtn), form.LibOutBtn);
        QCOMPARE(nextTab(form.LibOutBtn), form.LibName);
        QCOMPARE(nextTab(form.LibName), form.LibPass);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget(), form.NewLibBtn);
        // Enter and Esc press nothing and close nothing.
        QTest::keyClick(&form, Qt::Key_Escape);
        QTest::keyClick(form.NewLibBtn, Qt::Key_Return);
        QVERIFY(form.isVisible());
        QCOMPARE(m_f.prompts->Messages.size(), 0);
    }

    void keyFiltersAndLimits()
    {
        TNewLibForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.LibName->setFocus();
        QTest::keyClicks(form.LibName, QStringLiteral("a+b-c.d:e;f?g@h\\i`j~k/ l"));
        QCOMPARE(form.LibName->text(), QStringLiteral("abcdefghijk "));
        QTest::keyClicks(form.LibName, QStringLiteral("xyz")); // 12 bytes at most
        QCOMPARE(form.LibName->text(), QStringLiteral("abcdefghijk "));
        // Six Chinese characters fill it; a seventh is refused.
        form.LibName->clear();
        for (int i = 0; i < 7; ++i)
            QTest::sendKeyEvent(QTest::Click, form.LibName, Qt::Key_unknown, QStringLiteral("相"), Qt::NoModifier);
        QCOMPARE(form.LibName->text(), QString(6, QChar(0x76f8)));

        QTest::keyClicks(form.LibPass, QStringLiteral("ab 1-2_Z"));
        QTest::sendKeyEvent(QTest::Click, form.LibPass, Qt::Key_unknown, QStringLiteral("密"), Qt::NoModifier);
        QCOMPARE(form.LibPass->text(), QStringLiteral("ab12Z"));
        QTest::keyClick(form.LibPass, Qt::Key_Backspace);
        QCOMPARE(form.LibPass->text(), QStringLiteral("ab12"));
        QTest::keyClicks(form.LibPass, QStringLiteral("3456789012345678"));
        QCOMPARE(form.LibPass->text(), QStringLiteral("ab1234567890123")); // 15 at most
    }

    void checksInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("blank name") << "   " << "" << int(PromptKind::Info)
                                    << "请输入您要创建的相册名称  (1-6个汉字)!" << "LibName";
        QTest::newRow("blank name, existing album aside") << "" << "x" << int(PromptKind::Info)
                                                          << "请输入您要创建的相册名称  (1-6个汉字)!" << "LibName";
        QTest::newRow("pasted slash") << "a/b" << "" << int(PromptKind::Info) << "相册名称中不能包含字符\"/\"!" << "LibName";
        QTest::newRow("existing, other case") << "abc" << "" << int(PromptKind::Warning)
                                              << "该相册已经存在,请重新建立!" << "LibName";
        QTest::newRow("existing, with blanks") << "  ABC " << "" << int(PromptKind::Warning)
                                               << "该相册已经存在,请重新建立!" << "LibName";
        QTest::newRow("new") << " Trip " << " 123456789012345 " << -1 << "" << "";
        QTest::newRow("new, no password") << "旅行" << "" << -1 << "" << "";
    }
    void checksInOrder()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        TNewLibForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.LibName->setText(name);
        form.LibPass->setText(password);
        form.NewLibBtn->click();
        if (kind < 0) {
            QCOMPARE(form.result(), int(QDialog::Accepted));
            QCOMPARE(form.NewLibName, TrimText(name));
            QCOMPARE(form.NewLibPass, TrimText(password));
            QCOMPARE(m_f.prompts->Messages.size(), 0);
            return;
        }
        QCOMPARE(m_f.prompts->Messages, (QList<PromptRecord>{{PromptKind(kind), kind == int(PromptKind::Info)
                                                                                     ? QStringLiteral("提示")
                                                                                     : QStringLiteral("警告"),
                                                               message}}));
        QVERIFY(form.isVisible());
        QVERIFY(form.NewLibName.isEmpty() && form.NewLibPass.isEmpty());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        // Closed after a refused attempt: both results stay empty.
        form.LibOutBtn->click();
        QVERIFY(!form.isVisible());
        QVERIFY(form.NewLibName.isEmpty() && form.NewLibPass.isEmpty());
    }

    void newAlbumCommand()
    {
        m_form = FormFixture::Open(m_f);
        QTreeWidgetItem *root = m_form->PicLibView->topLevelItem(0);
        QTreeWidgetItem *first = root->child(0);
        // Closed without creating: nothing changes.
        OnNextModal([](QDialog *d) { static_cast<TNewLibForm *>(d)->LibOutBtn->click(); });
        m_form->Action("N1")->trigger();
        QCOMPARE(root->childCount(), 1);

        OnNextModal([](QDialog *d) {
            auto *form = static_cast<TNewLibForm *>(d);
            form->LibName->setText(QStringLiteral("Trip"));
            form->LibPass->setText(QStringLiteral("pw"));
            form->NewLibBtn->click();
        });
        m_form->Action("N1")->trigger();
        QCOMPARE(root->childCount(), 2);
        QCOMPARE(root->child(0), first); // not refilled
        QCOMPARE(root->child(1)->text(0), QStringLiteral("Trip"));
        QVERIFY(!root->child(1)->isExpanded() && !root->child(1)->isSelected());
        QVERIFY(m_f.dm->CheckAlbumPassword(QStringLiteral("Trip"), QStringLiteral("PW")));

        // The store fails after the dialog: the user is told.
        OnNextModal([this](QDialog *d) {
            auto *form = static_cast<TNewLibForm *>(d);
            form->LibName->setText(QStringLiteral("Later"));
            m_f.dm->CloseStore();
            form->NewLibBtn->click();
        });
        m_form->Action("N1")->trigger();
        QCOMPARE(m_f.prompts->Messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("相册新建失败!")}}));
        QCOMPARE(root->childCount(), 2);
        m_form.reset();
    }

private:
    TestStore::Fixture m_f;
    std::unique_ptr<TMainForm> m_form;
};

QTEST_MAIN(TestNewLib)
#include "test_newlib.moc"
