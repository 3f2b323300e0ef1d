// Commands on the shown picture: previous and next, delete, save as,
// rename, print and the wallpaper.

#include "FormFixture.h"
#include "JpegCodec.h"
#include "Modal.h"
#include "AlbumStore.h"
#include "PictureSaveDialog.h"
#include "Wallpaper.h"

#include <QToolButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

using FormFixture::albumNode;

namespace {

class RecordingRunner : public CommandRunner
{
public:
    QList<QStringList> commands;
    QString find(const QString &program) override { return QStringLiteral("/usr/bin/") + program; }
    CommandResult run(const QString &program, const QStringList &args) override
    {
        commands.append(QStringList{program} + args);
        return {true, 0, QByteArray()};
    }
};

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        FormFixture::makeAlbums(m_f);
        // A last album with one picture, after the empty one.
        m_f.store->addAlbum(QStringLiteral("last"), QString());
        TestStore::addPictureBytes(m_f.dir, m_f.store->findAlbumId(QStringLiteral("last")), QStringLiteral("end"),
                                   JpegFixtures::make(JpegFixtures::quarters(40, 30), JpegFixtures::Kind::Baseline));
        m_form = FormFixture::open(m_f);
        FormFixture::expand(*m_form, FormFixture::root(*m_form));
    }
    void cleanup()
    {
        m_form.reset();
        m_f.tearDown();
    }

    void treeOrder()
    {
        QModelIndex root = FormFixture::root(*m_form);
        QStringList forward;
        for (QModelIndex n = root; n.isValid(); n = AlbumTreeView::nextNode(n))
            forward.append(FormFixture::text(n));
        QCOMPARE(forward, (QStringList{"所有相册", "open", "cat", "dog", "bmp", "secret", "hidden", "other", "x",
                                       "empty", "last", "end"}));
        QStringList backward;
        for (QModelIndex n = FormFixture::child(albumNode(*m_form, "last"), 0); n.isValid(); n = AlbumTreeView::previousNode(n))
            backward.prepend(FormFixture::text(n));
        QCOMPARE(backward, forward);
    }

    void previousAndNext()
    {
        QModelIndex open = albumNode(*m_form, "open");
        select(FormFixture::child(open, 1)); // dog
        m_form->action("nextPictureAction")->trigger();
        QCOMPARE(FormFixture::current(*m_form), FormFixture::child(open, 2));
        // Past the last picture: the next album's node, no password asked
        // although it is protected, and an empty viewer.
        FormFixture::child<QToolButton>(*m_form, "nextButton")->click();
        QCOMPARE(FormFixture::current(*m_form), albumNode(*m_form, "secret"));
        QVERIFY(!FormFixture::isExpanded(*m_form, albumNode(*m_form, "secret")));
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());
        QVERIFY(FormFixture::levelOf(FormFixture::current(*m_form)) != AlbumTreeModel::Level::Picture);
        m_form->action("nextPictureAction")->trigger(); // nothing now
        QCOMPARE(FormFixture::current(*m_form), albumNode(*m_form, "secret"));
        m_form->action("previousPictureAction")->trigger();
        QCOMPARE(FormFixture::current(*m_form), albumNode(*m_form, "secret"));

        select(FormFixture::child(open, 0)); // cat
        FormFixture::viewer(*m_form)->zoomIn();
        FormFixture::child<QToolButton>(*m_form, "previousButton")->click(); // previous
        QCOMPARE(FormFixture::current(*m_form), open);
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());

        // After the last picture of the last album, next does nothing.
        QModelIndex end = FormFixture::child(albumNode(*m_form, "last"), 0);
        select(end);
        m_form->action("nextPictureAction")->trigger();
        QCOMPARE(FormFixture::current(*m_form), end);
        QVERIFY(!FormFixture::view(*m_form)->picture().isNull());
        // The picture that is not a JPEG was stepped past before its decode
        // ended: nothing was said on the way.
        QCOMPARE(m_f.prompts->messages.size(), 0);
    }

    void deletePicture()
    {
        // Nothing, the root or an album selected.
        m_form->action("deletePictureAction")->trigger();
        select(albumNode(*m_form, "open"));
        FormFixture::child<QToolButton>(*m_form, "deleteButton")->click();
        const PromptRecord choose{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择图片!")};
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{choose, choose}));
        m_f.prompts->messages.clear();

        const PromptRecord question{PromptKind::YesNo, QStringLiteral("提示"), QStringLiteral("确定要删除该图片吗?")};
        QModelIndex open = albumNode(*m_form, "open");
        select(FormFixture::child(open, 0));
        m_f.prompts->queueYesNo(IdNo);
        m_form->action("deletePictureAction")->trigger();
        QCOMPARE(FormFixture::childCount(open), 3);
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("cat")), 1);

        // Yes: gone from the store and the tree; the next picture is shown.
        m_f.prompts->queueYesNo(IdYes);
        m_form->action("deletePictureAction")->trigger();
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("cat")), -1);
        QCOMPARE(FormFixture::childCount(open), 2);
        QCOMPARE(FormFixture::current(*m_form), FormFixture::child(open, 0));
        QCOMPARE(FormFixture::current(*m_form).parent(), open);
        FormFixture::settle(*m_form);
        QVERIFY(!FormFixture::view(*m_form)->picture().isNull());
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{question, question}));

        // The only picture of an album: the album node is selected after.
        QModelIndex last = albumNode(*m_form, "last");
        FormFixture::expand(*m_form, last);
        select(FormFixture::child(last, 0));
        m_f.prompts->queueYesNo(IdYes);
        m_form->action("deletePictureAction")->trigger();
        QCOMPARE(FormFixture::childCount(last), 0);
        QCOMPARE(FormFixture::current(*m_form), last);
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());
        QCOMPARE(FormFixture::imageIndex(last), 2);

        // The store fails: the tree is left as it was.
        select(FormFixture::child(open, 0));
        m_f.store->closeStore();
        m_f.prompts->messages.clear();
        m_f.prompts->queueYesNo(IdYes);
        m_form->action("deletePictureAction")->trigger();
        QCOMPARE(FormFixture::childCount(open), 2);
        QCOMPARE(m_f.prompts->messages.last(),
                 (PromptRecord{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("删除指定图片失败!")}));
    }

    void joinSaveName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "/out/holiday" << "/out/holiday.jpg";
        QTest::newRow("jpg") << "/out/holiday.jpg" << "/out/holiday.jpg";
        QTest::newRow("JPG") << "/out/holiday.JPG" << "/out/holiday.JPG";
        QTest::newRow("jpeg") << "/out/holiday.jpeg" << "/out/holiday.jpeg";
        QTest::newRow("other extension") << "/out/holiday.png" << "/out/holiday.png.jpg";
        QTest::newRow("dot in the folder") << "/my.photos/sea" << "/my.photos/sea.jpg";
        QTest::newRow("chinese") << "/out/长城" << "/out/长城.jpg";
    }
    void joinSaveName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(MainWindow::joinSaveName(chosen), written);
    }

    void saveAs()
    {
        // With nothing shown, no dialog opens.
        m_form->action("savePictureAsAction")->trigger();

        QModelIndex open = albumNode(*m_form, "open");
        select(FormFixture::child(open, 0));
        FormFixture::viewer(*m_form)->zoomIn(); // the shown picture, zoomed, is what is saved
        const QSize shown = FormFixture::view(*m_form)->pictureSize();
        const QString folder = m_f.dir.filePath(QStringLiteral("saved"));
        QVERIFY(QDir().mkpath(folder));
        QString title;
        QString filter;
        onNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<PictureSaveDialog *>(d);
            QVERIFY(dialog);
            title = dialog->windowTitle();
            filter = dialog->nameFilters().join(QLatin1Char('|'));
            QCOMPARE(dialog->directory().absolutePath(), QCoreApplication::applicationDirPath());
            choose(dialog, folder, QStringLiteral("holiday"));
        });
        FormFixture::child<QToolButton>(*m_form, "saveButton")->click();
        QCOMPARE(title, QStringLiteral("Save file"));
        QCOMPARE(filter, QStringLiteral("jpg文件(*.jpg)"));
        const QString file = folder + QStringLiteral("/holiday.jpg");
        QCOMPARE(JpegCodec::decode(TestStore::readFile(file)).size(), shown);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);

        // The next time the dialog starts at that file; it replaces it
        // without asking.
        QString startFolder;
        QString startName;
        bool previewed = false;
        onNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<PictureSaveDialog *>(d);
            startFolder = dialog->directory().absolutePath();
            startName = dialog->findChild<QLineEdit *>()->text();
            previewed = !dialog->preview()->pixmap().isNull();
            static_cast<QDialog *>(dialog)->accept();
        });
        m_form->action("savePictureAsAction")->trigger();
        QCOMPARE(startFolder, folder);
        QCOMPARE(startName, QStringLiteral("holiday.jpg"));
        QVERIFY(previewed); // the file it starts at is previewed at once
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("holiday.jpg")});

        // Cancelled: nothing written, nothing said.
        onNextModal([&](QDialog *d) { d->reject(); });
        m_form->action("savePictureAsAction")->trigger();
        QCOMPARE(m_f.prompts->messages.size(), 0);
    }

    void saveAsReplacesALinkNotItsTarget()
    {
        select(FormFixture::child(albumNode(*m_form, "open"), 0));
        const QString folder = m_f.dir.filePath(QStringLiteral("linked"));
        QVERIFY(QDir().mkpath(folder));
        const QString victim = m_f.dir.filePath(QStringLiteral("victim.jpg"));
        QVERIFY(TestStore::writeFile(victim, "the victim's own bytes"));
        QVERIFY(QFile::link(victim, folder + QStringLiteral("/link.jpg")));
        onNextModal([&](QDialog *d) { choose(qobject_cast<QFileDialog *>(d), folder, QStringLiteral("link.jpg")); });
        m_form->action("savePictureAsAction")->trigger();
        QCOMPARE(TestStore::readFile(victim), QByteArray("the victim's own bytes"));
        const QFileInfo saved(folder + QStringLiteral("/link.jpg"));
        QVERIFY(!saved.isSymLink());
        QCOMPARE(JpegCodec::decode(TestStore::readFile(saved.filePath())).size(), QSize(64, 48));
        QCOMPARE(m_f.prompts->messages.size(), 0);
    }

    void saveAsOnAFullDisk()
    {
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")), 16 * 1024);
        if (!disk.isMounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        FormFixture::viewer(*m_form)->loadedPicture() = QImage();
        select(FormFixture::child(albumNode(*m_form, "open"), 0));
        // zoomed far in, the picture's JPEG data outgrow the small disk.
        for (int i = 0; i < 32; ++i)
            FormFixture::viewer(*m_form)->zoomIn();
        onNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<PictureSaveDialog *>(d);
            choose(dialog, disk.path(), QStringLiteral("big.jpg"));
        });
        m_form->action("savePictureAsAction")->trigger();
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("错误"),
                                       QStringLiteral("图片另存为失败!,请检查磁盘是否已满!")}}));
        QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
    }

    void renameAndPrint()
    {
        select(albumNode(*m_form, "open"));
        m_form->action("renamePictureAction")->trigger();
        QModelIndex cat = FormFixture::child(albumNode(*m_form, "open"), 0);
        select(cat);
        FormFixture::viewer(*m_form)->zoomIn();
        m_form->action("treeRenamePictureAction")->trigger(); // the tree menu's rename
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::view(*m_form)->size(), QSize(FormFixture::viewer(*m_form)->width() - 80, FormFixture::viewer(*m_form)->height()));
        auto *editor = FormFixture::tree(*m_form)->findChild<QLineEdit *>();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("cat"));
        QTest::keyClick(editor, Qt::Key_Escape);

        QString opened;
        onNextModal([&](QDialog *d) {
            opened = d->objectName();
            d->reject();
        });
        FormFixture::child<QToolButton>(*m_form, "printButton")->click();
        QCOMPARE(opened, QStringLiteral("printPreview"));
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择一张图片")}}));
    }

    void wallpaperTakesTheShownPicture()
    {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        qputenv("XDG_CURRENT_DESKTOP", "i3");
        qputenv("DISPLAY", ":99");
        auto runner = std::make_unique<RecordingRunner>();
        RecordingRunner *commands = runner.get();
        Wallpaper::setCommandRunner(std::move(runner));

        m_form->action("wallpaperCentredAction")->trigger(); // nothing shown: nothing happens
        QVERIFY(commands->commands.isEmpty());

        select(FormFixture::child(albumNode(*m_form, "open"), 0));
        FormFixture::viewer(*m_form)->zoomIn();
        FormFixture::viewer(*m_form)->turnClockwise();
        const QSize shown = FormFixture::view(*m_form)->pictureSize();
        m_form->action("wallpaperStretchedAction")->trigger();
        const QString file = data.path() + QStringLiteral("/quilbo2009/wallpaper/wallpaperimage.jpg");
        QCOMPARE(commands->commands, (QList<QStringList>{{"/usr/bin/feh", "--bg-scale", file}}));
        QCOMPARE(JpegCodec::decode(TestStore::readFile(file)).size(), shown);
        QVERIFY(FormFixture::viewer(*m_form)->isZoomed()); // unchanged by the command

        // When it cannot be done, the user is told.
        qunsetenv("DISPLAY");
        qputenv("XDG_CURRENT_DESKTOP", "");
        m_form->action("wallpaperTiledAction")->trigger();
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Warning, QStringLiteral("警告"),
                                       QStringLiteral("无法设置桌面壁纸: 不能识别当前的桌面环境!")}}));
    }

private:
    void select(QModelIndex node)
    {
        FormFixture::tree(*m_form)->setCurrentIndex(node);
        FormFixture::settle(*m_form);
    }

    // Types a name into the save dialog in a folder and accepts it.
    static void choose(QFileDialog *dialog, const QString &folder, const QString &name)
    {
        dialog->setDirectory(folder);
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
        static_cast<QDialog *>(dialog)->accept();
    }

    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
