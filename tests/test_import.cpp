// The picture import dialog and its command: the 50-file rule, the album
// choice with its password, the run with its progress text, the failures
// that stop it, dropped files, and the tree rebuilt afterwards.

#include "FormFixture.h"
#include "Modal.h"
#include "PictureImportDialog.h"
#include "Sql.h"
#include "StoreSchema.h"

#include <QFileDialog>
#include <QBuffer>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <sqlite3.h>

namespace {

// Records the progress text each time the bar is drawn.
class ProgressRecorder : public QObject
{
public:
    QStringList texts;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const QString text = static_cast<QProgressBar *>(watched)->format();
            if (text.startsWith(QStringLiteral("正导入")) && (texts.isEmpty() || texts.last() != text))
                texts.append(text);
        }
        return false;
    }
};

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("secret"), QStringLiteral("pw1")));
        m_form = std::make_unique<PictureImportDialog>(*m_f.library);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        m_f.tearDown();
    }

    void startState()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("图片导入"));
        QCOMPARE(m_form->size(), QSize(596, 401));
        QCOMPARE(m_form->albumChooser->geometry(), QRect(18, 74, 429, 20));
        QCOMPARE(m_form->fileList->geometry(), QRect(18, 97, 429, 204));
        QCOMPARE(m_form->importButton->geometry(), QRect(464, 262, 99, 25));
        QCOMPARE(m_form->albumChooser->count(), 1);
        QCOMPARE(m_form->albumChooser->currentText(), QStringLiteral("<请选择相册>"));
        QCOMPARE(m_form->albumStatus->text(), QStringLiteral("当前相册:   "));
        QCOMPARE(m_form->countStatus->text(), QStringLiteral("  共有项目0个"));
        QVERIFY(!m_form->progressBar->isVisible());
    }

    void fiftyFileRule()
    {
        chooseAlbum(QStringLiteral("trip"));
        QVERIFY(m_form->addFiles(files(45)));
        QVERIFY(!m_form->addFiles(files(6))); // 45 + 6: none added
        QCOMPARE(m_form->fileList->count(), 45);
        QVERIFY(m_form->addFiles(files(5))); // 45 + 5: all added
        QCOMPARE(m_form->fileList->count(), 50);
        QCOMPARE(m_form->countStatus->text(), QStringLiteral("  共有项目50个"));
        QCOMPARE(m_form->albumStatus->text(), QStringLiteral("当前相册:  trip  "));
        m_form->choosePictures(); // full: the chooser does not open
        m_form->clearList();
        QCOMPARE(m_form->fileList->count(), 0);
        QCOMPARE(m_form->albumStatus->text(), QStringLiteral("当前相册: trip  "));
        QVERIFY(!m_form->addFiles(files(51)));
        const PromptRecord tooMany{PromptKind::Warning, QStringLiteral("警告"),
                                   QStringLiteral("每次导入图片的数量最多为50,请重新选择")};
        const PromptRecord full{PromptKind::Warning, QStringLiteral("警告"),
                                QStringLiteral("列表中的图片项已满,请在下次执行此操作")};
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{tooMany, full, tooMany}));
    }

    void deleteListItem()
    {
        m_form->deleteSelectedListItem();
        QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("请在列表中选择需删除的图片项!"));
        const QStringList three = files(3);
        QVERIFY(m_form->addFiles(three));
        // Two selected with Ctrl: only the one holding the focus goes.
        m_form->fileList->setCurrentRow(1);
        m_form->fileList->setCurrentRow(2, QItemSelectionModel::Select);
        m_form->deleteSelectedListItem();
        QCOMPARE(m_form->fileList->count(), 2);
        QCOMPARE(m_form->fileList->item(1)->text(), three.at(1));
    }

    void albumChoiceAndPassword_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<bool>("warned");
        QTest::newRow("right") << " PW1 " << true << false;
        QTest::newRow("wrong") << "xyz" << false << true;
        QTest::newRow("cancelled") << "" << false << false;
    }
    void albumChoiceAndPassword()
    {
        QFETCH(QString, answer);
        QFETCH(bool, chosen);
        QFETCH(bool, warned);
        m_f.prompts->queuePassword(answer);
        chooseAlbum(QStringLiteral("secret"));
        QCOMPARE(m_form->albumChooser->currentText(), chosen ? QStringLiteral("secret") : QStringLiteral("<请选择相册>"));
        QList<PromptRecord> expected = {
            {PromptKind::Password, QStringLiteral("访问密码"), QStringLiteral("该相册已设置访问密码,请输入密码:")}};
        if (warned)
            expected.append({PromptKind::Warning, QStringLiteral("警告"), QStringLiteral("访问密码不正确,不能向该相册导入相片!")});
        QCOMPARE(m_f.prompts->messages, expected);
        // Opening the list again resets the choice.
        m_form->albumListOpening();
        QCOMPARE(m_form->albumChooser->currentIndex(), 0);
        QCOMPARE(m_form->albumChooser->count(), 3);
        QCOMPARE(m_form->albumStatus->text(), QStringLiteral("当前相册: "));
    }

    void startChecks()
    {
        m_form->startImport();
        QVERIFY(m_form->addFiles(files(1)));
        m_form->startImport();
        QCOMPARE(QApplication::focusWidget(), m_form->albumChooser);
        chooseAlbum(QStringLiteral("trip"));
        QVERIFY(m_f.store->deleteAlbum(QStringLiteral("trip")));
        m_form->startImport();
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{
                     {PromptKind::Info, QStringLiteral("提示"), QStringLiteral("列表中没有可导入的图片!")},
                     {PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择图片将要导入的相册!")},
                     {PromptKind::Error, QStringLiteral("错误"), QStringLiteral("相册库中不存在该相册!")},
                 }));
    }

    void successfulRunAndRepeat()
    {
        chooseAlbum(QStringLiteral("trip"));
        const QStringList three = files(3);
        QVERIFY(m_form->addFiles(three));
        ProgressRecorder recorder;
        m_form->progressBar->installEventFilter(&recorder);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(0);
        m_form->startImport();
        ticker.stop();
        QCOMPARE(recorder.texts, (QStringList{"正导入: 1/3", "正导入: 2/3", "正导入: 3/3"}));
        QVERIFY2(ticks >= 3, "the window's events are handled during the run");
        QVERIFY(!m_form->progressBar->isVisible());
        QVERIFY(m_form->importButton->isEnabled());
        QCOMPARE(m_form->fileList->count(), 3);
        QStringList names;
        m_f.store->listPictureNames(1, &names);
        QStringList expected;
        for (const QString &f : three)
            expected.append(AlbumStore::pictureNameOf(f)); // p7.0.jpg is the picture p7
        QCOMPARE(names, expected);
        QCOMPARE(m_f.store->pictureData(m_f.store->findPictureId(1, names.first())), TestStore::readFile(three.first()));
        // Each with the album's hash of its bytes (read and hashed ahead).
        for (const QString &f : three)
            QVERIFY(m_f.store->albumHoldsHash(1, m_f.store->contentHash(1, TestStore::readFile(f))));
        QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("图片导入完成!"));

        // Again: the first name is now taken, the run stops there, and what
        // was stored stays.
        m_form->startImport();
        QCOMPARE(m_f.prompts->messages.last(),
                 (PromptRecord{PromptKind::Error, QStringLiteral("错误"),
                               QStringLiteral("部份图片导入失败,可能该相册中包含有相同的图片名称!")}));
        names.clear();
        m_f.store->listPictureNames(1, &names);
        QCOMPARE(names, expected);
    }

    void failuresStopTheRun_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message"); // the start of what the user is told
        const QString duplicate = QStringLiteral("部份图片导入失败,可能该相册中包含有相同的图片名称!");
        QTest::newRow("duplicate in the list") << "duplicate" << "third.jpg" << duplicate;
        QTest::newRow("vanished after listing")
            << "vanished" << "third.jpg" << "图片 third.jpg 导入失败: 无法读取该文件 (";
        QTest::newRow("zero bytes") << "empty" << "third.jpg"
                                    << "图片 third.jpg 导入失败: 该文件是空的,不是图片\n在它之前的图片已经导入。";
        QTest::newRow("a folder, not a file") << "folder" << "third.jpg" << "图片 third.jpg 导入失败: 无法读取该文件 (";
        QTest::newRow("no longer a picture after listing")
            << "replaced" << "third.jpg" << "图片 third.jpg 导入失败: 这不是 JPEG 图片,无法显示\n(详细信息: JPEG error #53)";
        QTest::newRow("direction override in the name")
            << "unsafe" << QStringLiteral("evil\u202Egpj.jpg")
            << QStringLiteral("图片 evil\u202Egpj.jpg 导入失败: 文件名中包含控制字符或文字方向控制字符");
        QTest::newRow("control character in the name")
            << "unsafe" << QStringLiteral("tab\tname.jpg") << "图片 tab\tname.jpg 导入失败: 文件名中包含控制字符";
    }
    void failuresStopTheRun()
    {
        QFETCH(QString, bad);
        QFETCH(QString, file);
        QFETCH(QString, message);
        chooseAlbum(QStringLiteral("trip"));
        QStringList list = files(2);
        QString third = m_f.dir.filePath(QStringLiteral("third-%1-%2/").arg(bad).arg(++m_count) + file);
        QVERIFY(QDir().mkpath(QFileInfo(third).absolutePath()));
        if (bad == QLatin1String("duplicate"))
            third = list.first();
        else if (bad == QLatin1String("empty"))
            QVERIFY(TestStore::writeFile(third, QByteArray()));
        else if (bad == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(third));
        else if (bad == QLatin1String("unsafe"))
            QVERIFY(TestStore::writeFile(third, TestStore::readFile(list.first())));
        else if (bad == QLatin1String("replaced"))
            QVERIFY(TestStore::writeFile(third, TestStore::readFile(list.first())));
        else
            QVERIFY(TestStore::writeFile(third, "soon gone"));
        list << third << files(1);
        QVERIFY(m_form->addFiles(list));
        if (bad == QLatin1String("vanished"))
            QVERIFY(QFile::remove(third));
        if (bad == QLatin1String("replaced"))
            QVERIFY(TestStore::writeFile(third, JpegFixtures::notAPicture()));
        m_form->startImport();
        QStringList names;
        m_f.store->listPictureNames(1, &names);
        QCOMPARE(names.size(), 2); // the two before it, complete; nothing after
        for (int i = 0; i < 2; ++i)
            QCOMPARE(m_f.store->pictureData(m_f.store->findPictureId(1, names[i])), TestStore::readFile(list[i]));
        QCOMPARE(m_f.store->findPictureId(1, AlbumStore::pictureNameOf(third)), bad == QLatin1String("duplicate") ? 1 : -1);
        QCOMPARE(m_f.prompts->messages.last().kind, PromptKind::Error);
        QVERIFY2(m_f.prompts->messages.last().text.startsWith(message), qPrintable(m_f.prompts->messages.last().text));
    }

    void storeFailuresAreNamed()
    {
        chooseAlbum(QStringLiteral("trip"));
        // Another connection holds the store's write lock: busy (after a
        // wait cut short here).
        sqlite3_busy_timeout(m_f.store->connection().handle(), 200);
        {
            SqlConnection other;
            other.open(m_f.path);
            StoreSchema::keyConnection(other);
            SqlTransaction writing(other);
            QVERIFY(m_form->addFiles(files(1)));
            m_form->startImport();
        }
        QVERIFY2(m_f.prompts->messages.last().text.contains(QStringLiteral("导入失败: 相册库正忙,请稍后再试!\n(详细信息: ")),
                 qPrintable(m_f.prompts->messages.last().text));
        m_form->clearList();

        // The store on a full disk.
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")), 96 * 1024);
        if (!disk.isMounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString store = disk.path() + QStringLiteral("/pdate.pdb");
        m_f.store->closeStore();
        QVERIFY(QFile::copy(m_f.path, store));
        QVERIFY(m_f.store->openStore(store));
        QByteArray big = JpegFixtures::make(JpegFixtures::quarters(16, 16), JpegFixtures::Kind::Baseline);
        big.append(QByteArray(200 * 1024, 'x'));
        const QString file = m_f.dir.filePath(QStringLiteral("big.jpg"));
        QVERIFY(TestStore::writeFile(file, big));
        QVERIFY(m_form->addFiles({file}));
        m_form->startImport();
        QVERIFY2(m_f.prompts->messages.last().text.contains(QStringLiteral("导入失败: 磁盘已满,无法写入相册库!")),
                 qPrintable(m_f.prompts->messages.last().text));
        m_f.store->closeStore();
    }

    // Whichever way files come into the list, what the viewer could not
    // show stays out, whatever its name says, and the user is told which
    // and why; a picture it can show comes in, whatever its name.
    void picturesTheViewerCannotShowStayOut_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why"); // empty: listed
        for (const char *way : {"chooser", "dropped", "command line"}) {
            QTest::addRow("%s, a text file named .jpg", way) << way << "text" << "这不是 JPEG 图片,无法显示";
            QTest::addRow("%s, a PNG named .jpg", way) << way << "png" << "";
            QTest::addRow("%s, a 12-bit JPEG", way) << way << "12-bit" << "这张 JPEG 图片不是 8 位精度的,本程序无法显示";
            QTest::addRow("%s, a JPEG named .webp", way) << way << "webp" << "";
        }
    }
    void picturesTheViewerCannotShowStayOut()
    {
        QFETCH(QString, way);
        QFETCH(QString, kind);
        QFETCH(QString, why);
        const QString folder = m_f.dir.filePath(QStringLiteral("in-%1").arg(++m_count));
        QVERIFY(QDir().mkpath(folder));
        QString file = folder + QStringLiteral("/sample.jpg");
        if (kind == QLatin1String("png")) {
            QVERIFY(TestStore::writeFile(file, png()));
        } else if (kind == QLatin1String("text")) {
            QVERIFY(TestStore::writeFile(file, JpegFixtures::notAPicture()));
        } else if (kind == QLatin1String("12-bit")) {
            if (TestStore::testData().isEmpty())
                QSKIP("../shared/testdata is absent: no 12-bit JPEG");
            QVERIFY(QFile::copy(TestStore::testData() + QStringLiteral("/jpeg/monkey12.jpg"), file));
        } else {
            file = folder + QStringLiteral("/download.webp");
            QVERIFY(TestStore::writeFile(file, JpegFixtures::make(JpegFixtures::quarters(16, 16), JpegFixtures::Kind::Baseline)));
        }
        if (way == QLatin1String("chooser")) {
            onNextModal([&](QDialog *d) {
                // Typed into the chooser, whatever its filter shows.
                auto *dialog = qobject_cast<QFileDialog *>(d);
                dialog->setDirectory(folder);
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(file);
                static_cast<QDialog *>(dialog)->accept();
                if (dialog->isVisible())
                    dialog->reject();
            });
            m_form->choosePicturesButton->click();
        } else if (way == QLatin1String("dropped")) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(file)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_form->fileList->viewport(), &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_form->fileList->viewport(), &drop);
        } else {
            m_form->addPictureFiles({file}); // as the window hands them over
        }
        if (why.isEmpty()) {
            QCOMPARE(m_form->fileList->count(), 1);
            QCOMPARE(m_f.prompts->messages.size(), 0);
            return;
        }
        QCOMPARE(m_form->fileList->count(), 0);
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"),
                                       QStringLiteral("以下文件不是本程序能显示的图片,已略过:\n%1: %2")
                                           .arg(QFileInfo(file).fileName(), why)}}));
    }

    void droppedFiles()
    {
        QStringList dropped = files(2);
        const QString text = m_f.dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(TestStore::writeFile(text, "not a picture"));
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString &f : dropped + QStringList{text})
            urls.append(QUrl::fromLocalFile(f));
        mime.setUrls(urls);
        const auto dropOnList = [&] {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_form->fileList->viewport(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_form->fileList->viewport(), &drop);
        };
        dropOnList();
        QCOMPARE(m_form->fileList->count(), 2);
        QCOMPARE(m_form->fileList->item(0)->text(), dropped.first());
        QCOMPARE(m_f.prompts->messages.last().text,
                 QStringLiteral("以下文件不是本程序能显示的图片,已略过:\nnotes.txt: 这不是 JPEG 图片,无法显示"));
        // Under the same rule as chosen files.
        QVERIFY(m_form->addFiles(files(48)));
        dropOnList();
        QCOMPARE(m_form->fileList->count(), 50);
    }

    void chooserListsCameraNames()
    {
        const QString folder = m_f.dir.filePath(QStringLiteral("camera"));
        QVERIFY(QDir().mkpath(folder));
        const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(16, 16), JpegFixtures::Kind::Baseline);
        for (const char *name : {"IMG_0001.JPG", "IMG_0002.jpeg", "notes.txt"})
            QVERIFY(TestStore::writeFile(folder + QLatin1Char('/') + QLatin1String(name), jpeg));
        QStringList listed;
        QString title;
        onNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            title = dialog->windowTitle();
            dialog->setDirectory(folder);
            auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
            // The folder is read in the background; the dialog is closed
            // whatever happens, so that a failure cannot hang the test.
            const bool loaded = QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 2; }, 5000);
            for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i)
                listed.append(view->model()->index(i, 0, view->rootIndex()).data().toString());
            if (loaded)
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                    ->setText(QStringLiteral("\"IMG_0001.JPG\" \"IMG_0002.jpeg\""));
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        m_form->choosePicturesButton->click();
        QCOMPARE(title, QStringLiteral("选择图片(可多选)"));
        listed.sort();
        QCOMPARE(listed, (QStringList{"IMG_0001.JPG", "IMG_0002.jpeg"}));
        QCOMPARE(m_form->fileList->count(), 2);
    }

    void chosenFilesComeInTheListsOrder()
    {
        const QString folder = m_f.dir.filePath(QStringLiteral("ordered"));
        QVERIFY(QDir().mkpath(folder));
        const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(16, 16), JpegFixtures::Kind::Baseline);
        for (const char *name : {"b.jpg", "a.jpg", "c.jpg"})
            QVERIFY(TestStore::writeFile(folder + QLatin1Char('/') + QLatin1String(name), jpeg));
        onNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            dialog->setDirectory(folder);
            auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
            QVERIFY(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 3; }, 5000));
            // Chosen c first, then a.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("\"c.jpg\" \"a.jpg\""));
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        m_form->choosePicturesButton->click();
        QCOMPARE(m_form->fileList->count(), 2);
        QCOMPARE(QFileInfo(m_form->fileList->item(0)->text()).fileName(), QStringLiteral("a.jpg"));
        QCOMPARE(QFileInfo(m_form->fileList->item(1)->text()).fileName(), QStringLiteral("c.jpg"));
    }

    void importCommandUpdatesTheTree()
    {
        m_form.reset();
        auto main = FormFixture::open(m_f);
        QModelIndex root = FormFixture::root(*main);
        // Closed without a run: the tree is left alone.
        onNextModal([](QDialog *d) { static_cast<PictureImportDialog *>(d)->closeButton->click(); });
        main->action("importPicturesAction")->trigger();
        QCOMPARE(FormFixture::root(*main), root);

        const QStringList two = files(2);
        onNextModal([this, two](QDialog *d) {
            auto *dialog = static_cast<PictureImportDialog *>(d);
            dialog->albumChooser->fill(QStringLiteral("<请选择相册>"), {QStringLiteral("trip")});
            dialog->albumChooser->setCurrentIndex(1);
            dialog->addFiles(two);
            dialog->importButton->click();
            dialog->closeButton->click();
        });
        main->action("importPicturesAction")->trigger();
        QModelIndex trip = FormFixture::albumNode(*main, QStringLiteral("trip"));
        QVERIFY(trip.isValid());
        QCOMPARE(FormFixture::childCount(trip), 2);
        QVERIFY(!FormFixture::isExpanded(*main, FormFixture::root(*main)));

        // A run that stops part way: the tree shows what was stored, with the
        // albums that were open still open and the selection where it was.
        FormFixture::expand(*main, FormFixture::root(*main));
        trip = FormFixture::albumNode(*main, QStringLiteral("trip"));
        FormFixture::expand(*main, trip);
        FormFixture::tree(*main)->setCurrentIndex(FormFixture::child(trip, 1));
        FormFixture::settle(*main);
        const QString selected = FormFixture::text(FormFixture::child(trip, 1));
        const QStringList partly = files(1) + QStringList{two.first()} + files(1); // the second is a duplicate
        onNextModal([partly](QDialog *d) {
            auto *dialog = static_cast<PictureImportDialog *>(d);
            dialog->albumChooser->fill(QStringLiteral("<请选择相册>"), {QStringLiteral("trip")});
            dialog->albumChooser->setCurrentIndex(1);
            dialog->addFiles(partly);
            dialog->importButton->click();
            dialog->closeButton->click();
        });
        main->action("importPicturesAction")->trigger();
        trip = FormFixture::albumNode(*main, QStringLiteral("trip"));
        QCOMPARE(FormFixture::childCount(trip), 3);
        QVERIFY(FormFixture::isExpanded(*main, FormFixture::root(*main)));
        QVERIFY(FormFixture::isExpanded(*main, trip));
        QCOMPARE(FormFixture::text(FormFixture::current(*main)), selected);
        FormFixture::settle(*main);
        QVERIFY(!FormFixture::view(*main)->picture().isNull());
    }

private:
    static QByteArray png()
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        JpegFixtures::quarters(16, 16).save(&buffer, "PNG");
        return bytes;
    }

    void chooseAlbum(const QString &name)
    {
        m_form->albumListOpening();
        const int index = m_form->albumChooser->findText(name);
        m_form->albumChooser->setCurrentIndex(index);
        emit m_form->albumChooser->activated(index);
    }

    // Files of distinct names, each a small JPEG.
    QStringList files(int n)
    {
        QStringList list;
        const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(16, 16), JpegFixtures::Kind::Baseline);
        for (int i = 0; i < n; ++i) {
            const QString path = m_f.dir.filePath(QStringLiteral("p%1.%2.jpg").arg(++m_count).arg(i));
            TestStore::writeFile(path, jpeg);
            list.append(path);
        }
        return list;
    }

    TestStore::Fixture m_f;
    std::unique_ptr<PictureImportDialog> m_form;
    int m_count = 0;
};

QTEST_MAIN(TestImport)
#include "test_import.moc"
