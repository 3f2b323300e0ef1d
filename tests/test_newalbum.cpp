// The new album dialog and its command: checks in their order, key filters,
// byte limits, and the album added to the store and the tree.

#include "FormFixture.h"
#include "Modal.h"
#include "NewAlbumDialog.h"
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

class TestNewAlbum : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        QVERIFY(m_f.store->addAlbum(QStringLiteral("ABC"), QString()));
    }
    void cleanup() { m_f.tearDown(); }

    void layoutAndTabOrder()
    {
        NewAlbumDialog form(*m_f.library);
        QCOMPARE(form.windowTitle(), QStringLiteral("新建相册"));
        QCOMPARE(form.size(), QSize(309, 159));
        QCOMPARE(form.nameEdit->geometry(), QRect(59, 59, 156, 17));
        QCOMPARE(form.passwordEdit->geometry(), QRect(59, 87, 156, 17));
        QCOMPARE(form.createButton->geometry(), QRect(61, 118, 75, 21));
        QCOMPARE(form.closeButton->geometry(), QRect(140, 118, 75, 21));
        QCOMPARE(form.createButton->text(), QStringLiteral("新建"));
        QCOMPARE(form.closeButton->text(), QStringLiteral("关闭"));
        QCOMPARE(form.passwordEdit->echoMode(), QLineEdit::Password);
        QVERIFY(!form.createButton->isDefault() && !form.createButton->autoDefault());
        QCOMPARE(nextTab(form.createButton), form.closeButton);
        QCOMPARE(nextTab(form.closeButton), form.nameEdit);
        QCOMPARE(nextTab(form.nameEdit), form.passwordEdit);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget(), form.createButton);
        // Enter presses nothing; Esc closes the dialog without an album.
        QTest::keyClick(form.createButton, Qt::Key_Return);
        QVERIFY(form.isVisible());
        QCOMPARE(m_f.prompts->messages.size(), 0);
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        QCOMPARE(m_f.library->albums(), QStringList{QStringLiteral("ABC")});
    }

    void keyFiltersAndLimits()
    {
        NewAlbumDialog form(*m_f.library);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.nameEdit->setFocus();
        QTest::keyClicks(form.nameEdit, QStringLiteral("a+b-c.d:e;f?g@h\\i`j~k/ l"));
        QCOMPARE(form.nameEdit->text(), QStringLiteral("abcdefghijk "));
        QTest::keyClicks(form.nameEdit, QStringLiteral("xyz")); // 12 bytes at most
        QCOMPARE(form.nameEdit->text(), QStringLiteral("abcdefghijk "));
        // Six Chinese characters fill it; a seventh is refused.
        form.nameEdit->clear();
        for (int i = 0; i < 7; ++i)
            QTest::sendKeyEvent(QTest::Click, form.nameEdit, Qt::Key_unknown, QStringLiteral("相"), Qt::NoModifier);
        QCOMPARE(form.nameEdit->text(), QString(6, QChar(0x76f8)));

        QTest::keyClicks(form.passwordEdit, QStringLiteral("ab 1-2_Z"));
        QTest::sendKeyEvent(QTest::Click, form.passwordEdit, Qt::Key_unknown, QStringLiteral("密"), Qt::NoModifier);
        QCOMPARE(form.passwordEdit->text(), QStringLiteral("ab12Z"));
        QTest::keyClick(form.passwordEdit, Qt::Key_Backspace);
        QCOMPARE(form.passwordEdit->text(), QStringLiteral("ab12"));
        QTest::keyClicks(form.passwordEdit, QStringLiteral("3456789012345678"));
        QCOMPARE(form.passwordEdit->text(), QStringLiteral("ab1234567890123")); // 15 at most
    }

    void checksInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("blank name") << "   " << "" << int(PromptKind::Info)
                                    << "请输入您要创建的相册名称  (1-6个汉字)!" << "nameEdit";
        QTest::newRow("blank name, existing album aside") << "" << "x" << int(PromptKind::Info)
                                                          << "请输入您要创建的相册名称  (1-6个汉字)!" << "nameEdit";
        QTest::newRow("pasted slash") << "a/b" << "" << int(PromptKind::Info) << "相册名称中不能包含字符\"/\"!" << "nameEdit";
        QTest::newRow("direction override") << QStringLiteral("evil\u202E") << "" << int(PromptKind::Info)
                                            << "相册名称中不能包含控制字符或文字方向控制字符!" << "nameEdit";
        QTest::newRow("direction isolate") << QStringLiteral("a\u2067b") << "" << int(PromptKind::Info)
                                           << "相册名称中不能包含控制字符或文字方向控制字符!" << "nameEdit";
        QTest::newRow("control character") << QStringLiteral("a\u0007b") << "" << int(PromptKind::Info)
                                           << "相册名称中不能包含控制字符或文字方向控制字符!" << "nameEdit";
        QTest::newRow("existing, other case") << "abc" << "" << int(PromptKind::Warning)
                                              << "该相册已经存在,请重新建立!" << "nameEdit";
        QTest::newRow("existing, with blanks") << "  ABC " << "" << int(PromptKind::Warning)
                                               << "该相册已经存在,请重新建立!" << "nameEdit";
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
        NewAlbumDialog form(*m_f.library);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.nameEdit->setText(name);
        form.passwordEdit->setText(password);
        form.createButton->click();
        if (kind < 0) {
            QCOMPARE(form.result(), int(QDialog::Accepted));
            QCOMPARE(m_f.library->albums(), (QStringList{QStringLiteral("ABC"), trimText(name)}));
            QCOMPARE(m_f.library->albumHasPassword(trimText(name)), !trimText(password).isEmpty());
            if (!trimText(password).isEmpty())
                QVERIFY(m_f.store->checkAlbumPassword(trimText(name), trimText(password)));
            QCOMPARE(m_f.prompts->messages.size(), 0);
            return;
        }
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{{PromptKind(kind), kind == int(PromptKind::Info)
                                                                                     ? QStringLiteral("提示")
                                                                                     : QStringLiteral("警告"),
                                                               message}}));
        QVERIFY(form.isVisible());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        // Closed after a refused attempt: no album is made.
        form.closeButton->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(m_f.library->albums(), QStringList{QStringLiteral("ABC")});
    }

    void newAlbumCommand()
    {
        m_form = FormFixture::open(m_f);
        const QModelIndex root = FormFixture::root(*m_form);
        const QPersistentModelIndex first = FormFixture::child(root, 0);
        // Closed without creating: nothing changes.
        onNextModal([](QDialog *d) { static_cast<NewAlbumDialog *>(d)->closeButton->click(); });
        m_form->action("newAlbumAction")->trigger();
        QCOMPARE(FormFixture::childCount(root), 1);

        onNextModal([](QDialog *d) {
            auto *form = static_cast<NewAlbumDialog *>(d);
            form->nameEdit->setText(QStringLiteral("Trip"));
            form->passwordEdit->setText(QStringLiteral("pw"));
            form->createButton->click();
        });
        m_form->action("newAlbumAction")->trigger();
        QCOMPARE(FormFixture::childCount(root), 2);
        QCOMPARE(QModelIndex(first), FormFixture::child(root, 0)); // not refilled
        const QModelIndex trip = FormFixture::child(root, 1);
        QCOMPARE(FormFixture::text(trip), QStringLiteral("Trip"));
        QVERIFY(!FormFixture::isExpanded(*m_form, trip) && FormFixture::current(*m_form) != trip);
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("Trip"), QStringLiteral("PW")));

        // The store fails after the dialog: the user is told.
        onNextModal([this](QDialog *d) {
            auto *form = static_cast<NewAlbumDialog *>(d);
            form->nameEdit->setText(QStringLiteral("Later"));
            m_f.store->closeStore();
            form->createButton->click();
        });
        m_form->action("newAlbumAction")->trigger();
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("相册新建失败!")}}));
        QCOMPARE(FormFixture::childCount(root), 2);
        m_form.reset();
    }

private:
    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestNewAlbum)
#include "test_newalbum.moc"
