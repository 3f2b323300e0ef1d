// The album password dialogs, the compact and backup dialogs, the About box,
// and the commands that open them.

#include "About.h"
#include "BackupUnit.h"
#include "ComLibUnit.h"
#include "FormFixture.h"
#include "Modal.h"
#include "ModPassUnit.h"
#include "SetPassUnit.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace {

void choose(TAlbumCombo *combo, const QString &album)
{
    RefillAlbums(combo, combo->itemText(0));
    combo->setCurrentIndex(combo->findText(album));
}

// Notes the gauge's text and the button's state each time the gauge is drawn.
class GaugeRecorder : public QObject
{
public:
    explicit GaugeRecorder(TComLibForm *form) : m_form(form) {}
    QStringList seen;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            seen.append(m_form->process->format() + (m_form->startBtn->isEnabled() ? " enabled" : " disabled"));
        return false;
    }

private:
    TComLibForm *m_form;
};

} // namespace

class TestAdmin : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.Setup());
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("open"), QString()));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("secret"), QStringLiteral("Abc1")));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("other"), QStringLiteral("xyz")));
    }
    void cleanup() { m_f.Teardown(); }

    void setPassword_data()
    {
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no album") << "" << "a" << "a" << "请选择一个相册！" << "LibCom";
        QTest::newRow("already protected") << "secret" << "a" << "a" << "该相册已经设置了认证密码,请选择其它相册!" << "LibCom";
        QTest::newRow("abc and ABC") << "open" << "abc" << "ABC" << "两次输入的密码不一致,请重新输入" << "passEdit2";
        QTest::newRow("both empty") << "open" << " " << "" << "请输入访问密码!" << "passEdit1";
        QTest::newRow("set") << "open" << " pw1 " << "pw1" << "相册密码设置成功,请记住新密码!" << "";
    }
    void setPassword()
    {
        QFETCH(QString, album);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        TSetpassForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget(), form.LibCom);
        if (!album.isEmpty())
            choose(form.LibCom, album);
        form.passEdit1->setText(first);
        form.passEdit2->setText(second);
        form.spSkinButton1->click();
        QCOMPARE(m_f.prompts->Messages.size(), 1);
        QCOMPARE(m_f.prompts->Messages.first().text, message);
        QVERIFY(form.isVisible()); // it stays open
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        const bool set = focus.isEmpty();
        QCOMPARE(m_f.dm->AlbumHasPassword(QStringLiteral("open")), set);
        if (set) {
            QVERIFY(m_f.dm->CheckAlbumPassword(QStringLiteral("open"), QStringLiteral("PW1")));
            form.spSkinButton1->click(); // the same album again
            QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("该相册已经设置了认证密码,请选择其它相册!"));
        }
    }

    void setPasswordFiltersAndFailures()
    {
        TSetpassForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClicks(form.passEdit1, QStringLiteral("a b,c-1"));
        QTest::sendKeyEvent(QTest::Click, form.passEdit2, Qt::Key_unknown, QStringLiteral("密"), Qt::NoModifier);
        QCOMPARE(form.passEdit1->text(), QStringLiteral("abc1"));
        QCOMPARE(form.passEdit2->text(), QString());
        // The album went away after the list was filled.
        choose(form.LibCom, QStringLiteral("open"));
        QVERIFY(m_f.dm->DeleteAlbum(QStringLiteral("open")));
        form.passEdit2->setText(QStringLiteral("abc1"));
        form.spSkinButton1->click();
        QCOMPARE(m_f.prompts->Messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("相册密码设置失败!")}}));
    }

    void changePassword_data()
    {
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("new1");
        QTest::addColumn<QString>("new2");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("no album") << "" << "x" << "" << "" << int(PromptKind::Info) << "请选择相册 !";
        QTest::newRow("no password yet") << "open" << "x" << "" << "" << int(PromptKind::Warning) << "该相册还没有设置密码!";
        QTest::newRow("old blanks only") << "secret" << "   " << "n" << "n" << int(PromptKind::Warning) << "请输入旧密码!";
        QTest::newRow("new ones differ, old wrong too") << "secret" << "bad" << "abc" << "ABC" << int(PromptKind::Warning) << "新密码不一致!";
        QTest::newRow("another album's password") << "secret" << "xyz" << "n" << "n" << int(PromptKind::Warning) << "旧密码错误!";
        QTest::newRow("old in other case") << "secret" << " aBC1 " << "新密码" << " 新密码 " << int(PromptKind::Info) << "密码修改成功!";
    }
    void changePassword()
    {
        QFETCH(QString, album);
        QFETCH(QString, old);
        QFETCH(QString, new1);
        QFETCH(QString, new2);
        QFETCH(int, kind);
        QFETCH(QString, message);
        TModPassForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        if (!album.isEmpty())
            choose(form.LibCom, album);
        form.OldPass->setText(old);
        form.Newpass1->setText(new1);
        form.Newpass2->setText(new2);
        form.spSkinButton2->click();
        QCOMPARE(m_f.prompts->Messages, (QList<PromptRecord>{{PromptKind(kind), kind == int(PromptKind::Info)
                                                                                     ? QStringLiteral("提示")
                                                                                     : QStringLiteral("警告"),
                                                               message}}));
        QVERIFY(form.isVisible());
        if (message == QLatin1String("密码修改成功!")) {
            QVERIFY(m_f.dm->CheckAlbumPassword(QStringLiteral("secret"), QStringLiteral("新密码")));
            form.spSkinButton2->click(); // the old password no longer passes
            QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("旧密码错误!"));
        } else {
            QVERIFY(!m_f.dm->CheckAlbumPassword(QStringLiteral("secret"), QStringLiteral("n")));
        }
    }

    void removingThePasswordOpensTheAlbumFreely()
    {
        TestStore::AddPictureBytes(m_f.dir, 2, QStringLiteral("p"),
                                   JpegFixtures::Make(JpegFixtures::Quarters(8, 8), JpegFixtures::Kind::Baseline));
        {
            TModPassForm form;
            form.show();
            choose(form.LibCom, QStringLiteral("secret"));
            form.OldPass->setText(QStringLiteral("abc1"));
            form.spSkinButton2->click();
        }
        QVERIFY(!m_f.dm->AlbumHasPassword(QStringLiteral("secret")));
        auto main = FormFixture::Open(m_f);
        QTreeWidgetItem *secret = FormFixture::Album(*main, QStringLiteral("secret"));
        main->PicLibView->expandItem(secret); // no prompt is queued: none may come
        QVERIFY(secret->isExpanded());
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("密码修改成功!"));
    }

    void compactDialog()
    {
        TComLibForm form(m_f.path);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(377, 124));
        QCOMPARE(form.startBtn->text(), QStringLiteral("开始压缩"));
        GaugeRecorder recorder(&form);
        form.process->installEventFilter(&recorder);
        form.startBtn->click();
        form.startBtn->click();
        QVERIFY(recorder.seen.contains(QStringLiteral("正在压缩... disabled")));
        const PromptRecord done{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("压缩成功!")};
        QCOMPARE(m_f.prompts->Messages, (QList<PromptRecord>{done, done}));
        QCOMPARE(form.process->format(), QString());
        QVERIFY(form.startBtn->isEnabled());
        QVERIFY(m_f.dm->Connected());

        TComLibForm missing(m_f.dir.filePath(QStringLiteral("date/pdate.pdb")));
        missing.startBtn->click();
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("压缩失败!"));
        QVERIFY(missing.startBtn->isEnabled());
    }

    void backupDialog()
    {
        TBackupForm form(m_f.path);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget(), form.DirEdit);
        QCOMPARE(form.spSkinSpeedButton1->focusPolicy(), Qt::NoFocus);
        form.DirEdit->setText(QStringLiteral("   "));
        form.BackupBtn->click();
        QCOMPARE(m_f.prompts->Messages.last(),
                 (PromptRecord{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择备份目录!")}));

        // The chooser fills the entry; the copy gets the store's extension.
        const QString folder = m_f.dir.filePath(QStringLiteral("backup"));
        QVERIFY(QDir().mkpath(folder));
        OnNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            dialog->setDirectory(folder);
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("album"));
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        form.spSkinSpeedButton1->click();
        QCOMPARE(form.DirEdit->text(), folder + QStringLiteral("/album"));
        form.BackupBtn->click();
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("备份相册库成功!"));
        QVERIFY(QFileInfo(folder + QStringLiteral("/album.pdb")).isFile());
        form.BackupBtn->click();
        QCOMPARE(m_f.prompts->Messages.last(),
                 (PromptRecord{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("备份相册库失败")}));
        QVERIFY(form.BackupBtn->isEnabled());

        // The chooser opens again at the file it gave.
        QString startFolder;
        QString startName;
        OnNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            startFolder = dialog->directory().absolutePath();
            startName = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
            dialog->reject();
        });
        form.spSkinSpeedButton1->click();
        QCOMPARE(startFolder, folder);
        QCOMPARE(startName, QStringLiteral("album"));
        QCOMPARE(form.DirEdit->text(), folder + QStringLiteral("/album"));
    }

    void aboutBox()
    {
        TAboutForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(form.size(), QSize(323, 153));
        QCOMPARE(form.spSkinPageControl1->currentIndex(), 0);
        QCOMPARE(form.spSkinPageControl1->tabText(0), QStringLiteral("软件信息"));
        QCOMPARE(form.spSkinPageControl1->tabText(1), QStringLiteral("作者信息"));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("spSkinStdLabel2"))->text(), QStringLiteral("当前版本：1.0.2"));
        QVERIFY(form.spSkinStdLabel7->text().startsWith(QStringLiteral("官方博客：")));
        QCOMPARE(form.spSkinStdLabel7->cursor().shape(), Qt::PointingHandCursor);
        LinkCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        form.spSkinPageControl1->setCurrentIndex(1);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.spSkinStdLabel7, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, QList<QUrl>{WebLogUrl()});
        QVERIFY(form.isVisible());
    }

    void commandsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("N28") << "N28" << "ComLibForm";
        QTest::newRow("N29") << "N29" << "BackupForm";
        QTest::newRow("N30") << "N30" << "SetpassForm";
        QTest::newRow("N31") << "N31" << "ModPassForm";
        QTest::newRow("N7") << "N7" << "AboutForm";
    }
    void commandsOpenTheirDialogs()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialog);
        auto main = FormFixture::Open(m_f);
        QString opened;
        QWidget *owner = nullptr;
        OnNextModal([&](QDialog *d) {
            opened = d->objectName();
            owner = d->parentWidget();
            d->close();
        });
        main->Action(action.toLatin1().constData())->trigger();
        QCOMPARE(opened, dialog);
        QCOMPARE(owner, main.get());
    }

private:
    TestStore::Fixture m_f;
};

QTEST_MAIN(TestAdmin)
#include "test_admin.moc"
