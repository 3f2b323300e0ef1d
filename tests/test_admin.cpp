// The album password dialogs, the compact and backup dialogs, the About box,
// and the commands that open them.

#include "AboutDialog.h"
#include "BackupStoreDialog.h"
#include "CompactStoreDialog.h"
#include "FormFixture.h"
#include "Modal.h"
#include "ChangeAlbumPasswordDialog.h"
#include "SetAlbumPasswordDialog.h"

#include <QFileDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace {

void choose(AlbumLibrary &library, AlbumChooser *combo, const QString &album)
{
    refillAlbumChooser(library, combo, combo->itemText(0));
    combo->setCurrentIndex(combo->findText(album));
}

// Notes the gauge's text and the button's state each time the gauge is drawn.
class GaugeRecorder : public QObject
{
public:
    explicit GaugeRecorder(CompactStoreDialog *form) : m_form(form) {}
    QStringList seen;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            seen.append(m_form->progressBar->format() + (m_form->startButton->isEnabled() ? " enabled" : " disabled"));
        return false;
    }

private:
    CompactStoreDialog *m_form;
};

} // namespace

class TestAdmin : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        QVERIFY(m_f.store->addAlbum(QStringLiteral("open"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("secret"), QStringLiteral("Abc1")));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("other"), QStringLiteral("xyz")));
    }
    void cleanup() { m_f.tearDown(); }

    void setPassword_data()
    {
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no album") << "" << "a" << "a" << "请选择一个相册！" << "albumChooser";
        QTest::newRow("already protected") << "secret" << "a" << "a" << "该相册已经设置了认证密码,请选择其它相册!" << "albumChooser";
        QTest::newRow("abc and ABC") << "open" << "abc" << "ABC" << "两次输入的密码不一致,请重新输入" << "confirmEdit";
        QTest::newRow("both empty") << "open" << " " << "" << "请输入访问密码!" << "passwordEdit";
        QTest::newRow("set") << "open" << " pw1 " << "pw1" << "相册密码设置成功,请记住新密码!" << "";
    }
    void setPassword()
    {
        QFETCH(QString, album);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        SetAlbumPasswordDialog form(*m_f.library);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget(), form.albumChooser);
        if (!album.isEmpty())
            choose(*m_f.library, form.albumChooser, album);
        form.passwordEdit->setText(first);
        form.confirmEdit->setText(second);
        form.setButton->click();
        QCOMPARE(m_f.prompts->messages.size(), 1);
        QCOMPARE(m_f.prompts->messages.first().text, message);
        QVERIFY(form.isVisible()); // it stays open
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        const bool set = focus.isEmpty();
        QCOMPARE(m_f.store->albumHasPassword(QStringLiteral("open")), set);
        if (set) {
            QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("open"), QStringLiteral("PW1")));
            form.setButton->click(); // the same album again
            QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("该相册已经设置了认证密码,请选择其它相册!"));
        }
    }

    void setPasswordFiltersAndFailures()
    {
        SetAlbumPasswordDialog form(*m_f.library);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClicks(form.passwordEdit, QStringLiteral("a b,c-1"));
        QTest::sendKeyEvent(QTest::Click, form.confirmEdit, Qt::Key_unknown, QStringLiteral("密"), Qt::NoModifier);
        QCOMPARE(form.passwordEdit->text(), QStringLiteral("abc1"));
        QCOMPARE(form.confirmEdit->text(), QString());
        // The album went away after the list was filled.
        choose(*m_f.library, form.albumChooser, QStringLiteral("open"));
        QVERIFY(m_f.store->deleteAlbum(QStringLiteral("open")));
        form.confirmEdit->setText(QStringLiteral("abc1"));
        form.setButton->click();
        QCOMPARE(m_f.prompts->messages,
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
        ChangeAlbumPasswordDialog form(*m_f.library);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        if (!album.isEmpty())
            choose(*m_f.library, form.albumChooser, album);
        form.oldPasswordEdit->setText(old);
        form.newPasswordEdit->setText(new1);
        form.confirmEdit->setText(new2);
        form.changeButton->click();
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{{PromptKind(kind), kind == int(PromptKind::Info)
                                                                                     ? QStringLiteral("提示")
                                                                                     : QStringLiteral("警告"),
                                                               message}}));
        QVERIFY(form.isVisible());
        if (message == QLatin1String("密码修改成功!")) {
            QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("secret"), QStringLiteral("新密码")));
            form.changeButton->click(); // the old password no longer passes
            QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("旧密码错误!"));
        } else {
            QVERIFY(!m_f.store->checkAlbumPassword(QStringLiteral("secret"), QStringLiteral("n")));
        }
    }

    void removingThePasswordOpensTheAlbumFreely()
    {
        TestStore::addPictureBytes(m_f.dir, 2, QStringLiteral("p"),
                                   JpegFixtures::make(JpegFixtures::quarters(8, 8), JpegFixtures::Kind::Baseline));
        {
            ChangeAlbumPasswordDialog form(*m_f.library);
            form.show();
            choose(*m_f.library, form.albumChooser, QStringLiteral("secret"));
            form.oldPasswordEdit->setText(QStringLiteral("abc1"));
            form.changeButton->click();
        }
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("secret")));
        auto main = FormFixture::open(m_f);
        QModelIndex secret = FormFixture::albumNode(*main, QStringLiteral("secret"));
        FormFixture::expand(*main, secret); // no prompt is queued: none may come
        QVERIFY(FormFixture::isExpanded(*main, secret));
        QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("密码修改成功!"));
    }

    void compactDialog()
    {
        CompactStoreDialog form(*m_f.library, m_f.path);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(377, 124));
        QCOMPARE(form.startButton->text(), QStringLiteral("开始压缩"));
        GaugeRecorder recorder(&form);
        form.progressBar->installEventFilter(&recorder);
        form.startButton->click();
        form.startButton->click();
        QVERIFY(recorder.seen.contains(QStringLiteral("正在压缩... disabled")));
        const PromptRecord done{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("压缩成功!")};
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{done, done}));
        QCOMPARE(form.progressBar->format(), QString());
        QVERIFY(form.startButton->isEnabled());
        QVERIFY(m_f.store->isOpen());

        CompactStoreDialog missing(*m_f.library, m_f.dir.filePath(QStringLiteral("date/pdate.pdb")));
        missing.startButton->click();
        QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("压缩失败!"));
        QVERIFY(missing.startButton->isEnabled());
    }

    void compactDialogSaysWhenRoomIsShort()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("album"), QString()));
        const int album = m_f.store->findAlbumId(QStringLiteral("album"));
        for (int i = 0; i < 6; ++i)
            TestStore::addPictureBytes(m_f.dir, album, QStringLiteral("p%1").arg(i), QByteArray(300 * 1024, char('a' + i)));
        QVERIFY(m_f.store->deletePicture(album, QStringLiteral("p0")));
        QVERIFY(m_f.store->deletePicture(album, QStringLiteral("p1")));
        m_f.store->closeStore();
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")),
                                  QFileInfo(m_f.path).size() + 32 * 1024);
        if (!disk.isMounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString store = disk.path() + QStringLiteral("/pdate.pdb");
        QVERIFY(QFile::copy(m_f.path, store));
        QVERIFY(m_f.store->openStore(store));
        CompactStoreDialog form(*m_f.library, store);
        form.startButton->click();
        const QString told = m_f.prompts->messages.value(0).text;
        QVERIFY2(told.startsWith(QStringLiteral("压缩失败!相册库所在的磁盘空间不足,压缩需要约 "))
                     && told.endsWith(QStringLiteral(" MB 可用空间。")),
                 qPrintable(told));
        QCOMPARE(m_f.prompts->messages.value(0).kind, PromptKind::Info);
        m_f.store->closeStore();
    }

    void backupDialog()
    {
        BackupStoreDialog form(*m_f.library, m_f.path);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget(), form.targetEdit);
        QCOMPARE(form.browseButton->focusPolicy(), Qt::NoFocus);
        form.targetEdit->setText(QStringLiteral("   "));
        form.backupButton->click();
        QCOMPARE(m_f.prompts->messages.last(),
                 (PromptRecord{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择备份目录!")}));

        // The chooser fills the entry; the copy gets the store's extension.
        const QString folder = m_f.dir.filePath(QStringLiteral("backup"));
        QVERIFY(QDir().mkpath(folder));
        onNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            dialog->setDirectory(folder);
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("album"));
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        form.browseButton->click();
        QCOMPARE(form.targetEdit->text(), folder + QStringLiteral("/album"));
        form.backupButton->click();
        QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("备份相册库成功!"));
        QVERIFY(QFileInfo(folder + QStringLiteral("/album.pdb")).isFile());
        form.backupButton->click();
        QCOMPARE(m_f.prompts->messages.last(),
                 (PromptRecord{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("备份相册库失败")}));
        QVERIFY(form.backupButton->isEnabled());

        // The chooser opens again at the file it gave.
        QString startFolder;
        QString startName;
        onNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            startFolder = dialog->directory().absolutePath();
            startName = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
            dialog->reject();
        });
        form.browseButton->click();
        QCOMPARE(startFolder, folder);
        QCOMPARE(startName, QStringLiteral("album"));
        QCOMPARE(form.targetEdit->text(), folder + QStringLiteral("/album"));
    }

    void aboutBox()
    {
        AboutDialog form;
        QCOMPARE(form.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(form.size(), QSize(323, 153));
        QCOMPARE(form.pages->currentIndex(), 0);
        QCOMPARE(form.pages->tabText(0), QStringLiteral("软件信息"));
        QCOMPARE(form.pages->tabText(1), QStringLiteral("作者信息"));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("versionLabel"))->text(), QStringLiteral("当前版本：1.0.2"));
        QVERIFY(form.webLogLabel->text().startsWith(QStringLiteral("官方博客：")));
        QCOMPARE(form.webLogLabel->cursor().shape(), Qt::PointingHandCursor);
        form.pages->setCurrentIndex(1);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The whole link fits, and it opens the guide inside the program.
        QVERIFY(form.webLogLabel->isVisible());
        QVERIFY(form.webLogLabel->sizeHint().width() <= form.webLogLabel->width());
        QString opened;
        onNextModal([&](QDialog *d) {
            opened = d->objectName();
            d->close();
        });
        QTest::mouseClick(form.webLogLabel, Qt::LeftButton);
        QCOMPARE(opened, QStringLiteral("guideDialog"));
        QVERIFY(form.isVisible());
    }

    void commandsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("compactStoreAction") << "compactStoreAction" << "compactStoreDialog";
        QTest::newRow("backupStoreAction") << "backupStoreAction" << "backupStoreDialog";
        QTest::newRow("setAlbumPasswordAction") << "setAlbumPasswordAction" << "setAlbumPasswordDialog";
        QTest::newRow("changeAlbumPasswordAction") << "changeAlbumPasswordAction" << "changeAlbumPasswordDialog";
        QTest::newRow("aboutAction") << "aboutAction" << "aboutDialog";
    }
    void commandsOpenTheirDialogs()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialog);
        auto main = FormFixture::open(m_f);
        QString opened;
        QWidget *owner = nullptr;
        onNextModal([&](QDialog *d) {
            opened = d->objectName();
            owner = d->parentWidget();
            d->close();
        });
        main->action(action.toLatin1().constData())->trigger();
        QCOMPARE(opened, dialog);
        QCOMPARE(owner, main.get());
    }

private:
    TestStore::Fixture m_f;
};

QTEST_MAIN(TestAdmin)
#include "test_admin.moc"
