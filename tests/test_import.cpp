// The picture import dialog and its command: the 50-file rule, the album
// choice with its password, the run with its progress text, the failures
// that stop it, dropped files, and the tree rebuilt afterwards.

#include "FormFixture.h"
#include "Modal.h"
#include "exportPicUnit.h"

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
        QVERIFY(m_f.Setup());
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("trip"), QString()));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("secret"), QStringLiteral("pw1")));
        m_form = std::make_unique<TexportPic>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        m_f.Teardown();
    }

    void startState()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("图片导入"));
        QCOMPARE(m_form->size(), QSize(596, 401));
        QCOMPARE(m_form->LibCom->geometry(), QRect(18, 74, 429, 20));
        QCOMPARE(m_form->PicList->geometry(), QRect(18, 97, 429, 204));
        QCOMPARE(m_form->exportBtn->geometry(), QRect(464, 262, 99, 25));
        QCOMPARE(m_form->LibCom->count(), 1);
        QCOMPARE(m_form->LibCom->currentText(), QStringLiteral("<请选择相册>"));
        QCOMPARE(m_form->LibTool->text(), QStringLiteral("当前相册:   "));
        QCOMPARE(m_form->CountTool->text(), QStringLiteral("  共有项目0个"));
        QVERIFY(!m_form->processtool->isVisible());
        QVERIFY(!m_form->Imported);
    }

    void fiftyFileRule()
    {
        chooseAlbum(QStringLiteral("trip"));
        QVERIFY(m_form->AddFiles(files(45)));
        QVERIFY(!m_form->AddFiles(files(6))); // 45 + 6: none added
        QCOMPARE(m_form->PicList->count(), 45);
        QVERIFY(m_form->AddFiles(files(5))); // 45 + 5: all added
        QCOMPARE(m_form->PicList->count(), 50);
        QCOMPARE(m_form->CountTool->text(), QStringLiteral("  共有项目50个"));
        QCOMPARE(m_form->LibTool->text(), QStringLiteral("当前相册:  trip  "));
        m_form->spSkinButton1Click(); // full: the chooser does not open
        m_form->spSkinButton5Click();
        QCOMPARE(m_form->PicList->count(), 0);
        QCOMPARE(m_form->LibTool->text(), QStringLiteral("当前相册: trip  "));
        QVERIFY(!m_form->AddFiles(files(51)));
        const PromptRecord tooMany{PromptKind::Warning, QStringLiteral("警告"),
                                   QStringLiteral("每次导入图片的数量最多为50,请重新选择")};
        const PromptRecord full{PromptKind::Warning, QStringLiteral("警告"),
                                QStringLiteral("列表中的图片项已满,请在下次执行此操作")};
        QCOMPARE(m_f.prompts->Messages, (QList<PromptRecord>{tooMany, full, tooMany}));
    }

    void deleteListItem()
    {
        m_form->spSkinButton4Click();
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("请在列表中选择需删除的图片项!"));
        const QStringList three = files(3);
        QVERIFY(m_form->AddFiles(three));
        // Two selected with Ctrl: only the one holding the focus goes.
        m_form->PicList->setCurrentRow(1);
        m_form->PicList->setCurrentRow(2, QItemSelectionModel::Select);
        m_form->spSkinButton4Click();
        QCOMPARE(m_form->PicList->count(), 2);
        QCOMPARE(m_form->PicList->item(1)->text(), three.at(1));
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
        m_f.prompts->QueuePassword(answer);
        chooseAlbum(QStringLiteral("secret"));
        QCOMPARE(m_form->LibCom->currentText(), chosen ? QStringLiteral("secret") : QStringLiteral("<请选择相册>"));
        QList<PromptRecord> expected = {
            {PromptKind::Password, QStringLiteral("访问密码"), QStringLiteral("该相册已设置访问密码,请输入密码:")}};
        if (warned)
            expected.append({PromptKind::Warning, QStringLiteral("警告"), QStringLiteral("访问密码不正确,不能向该相册导入相片!")});
        QCOMPARE(m_f.prompts->Messages, expected);
        // Opening the list again resets the choice.
        m_form->LibComDropDown();
        QCOMPARE(m_form->LibCom->currentIndex(), 0);
        QCOMPARE(m_form->LibCom->count(), 3);
        QCOMPARE(m_form->LibTool->text(), QStringLiteral("当前相册: "));
    }

    void startChecks()
    {
        m_form->exportBtnClick();
        QVERIFY(m_form->AddFiles(files(1)));
        m_form->exportBtnClick();
        QCOMPARE(QApplication::focusWidget(), m_form->LibCom);
        chooseAlbum(QStringLiteral("trip"));
        QVERIFY(m_f.dm->DeleteAlbum(QStringLiteral("trip")));
        m_form->exportBtnClick();
        QCOMPARE(m_f.prompts->Messages,
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
        QVERIFY(m_form->AddFiles(three));
        ProgressRecorder recorder;
        m_form->processtool->installEventFilter(&recorder);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(0);
        m_form->exportBtnClick();
        ticker.stop();
        QCOMPARE(recorder.texts, (QStringList{"正导入: 1/3", "正导入: 2/3", "正导入: 3/3"}));
        QVERIFY2(ticks >= 3, "the window's events are handled during the run");
        QVERIFY(m_form->Imported);
        QVERIFY(!m_form->processtool->isVisible());
        QVERIFY(m_form->exportBtn->isEnabled());
        QCOMPARE(m_form->PicList->count(), 3);
        QStringList names;
        m_f.dm->ListPictureNames(1, &names);
        QStringList expected;
        for (const QString &f : three)
            expected.append(TPicDM::ExtractPicName(f)); // p7.0.jpg is the picture p7
        QCOMPARE(names, expected);
        QCOMPARE(m_f.dm->PictureData(m_f.dm->FindPictureId(1, names.first())), TestStore::ReadFile(three.first()));
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("图片导入完成!"));

        // Again: the first name is now taken, the run stops there, and the
        // dialog's result stays set.
        m_form->exportBtnClick();
        QCOMPARE(m_f.prompts->Messages.last(),
                 (PromptRecord{PromptKind::Error, QStringLiteral("错误"),
                               QStringLiteral("部份图片导入失败,可能该相册中包含有相同的图片名称!")}));
        QVERIFY(m_form->Imported);
    }

    void failuresStopTheRun_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::newRow("duplicate in the list") << "duplicate";
        QTest::newRow("vanished after listing") << "vanished";
        QTest::newRow("zero bytes") << "empty";
        QTest::newRow("a folder, not a file") << "folder";
    }
    void failuresStopTheRun()
    {
        QFETCH(QString, bad);
        chooseAlbum(QStringLiteral("trip"));
        QStringList list = files(2);
        QString third = m_f.dir.filePath(QStringLiteral("third-%1/third.jpg").arg(bad));
        QVERIFY(QDir().mkpath(QFileInfo(third).absolutePath()));
        if (bad == QLatin1String("duplicate"))
            third = list.first();
        else if (bad == QLatin1String("empty"))
            QVERIFY(TestStore::WriteFile(third, QByteArray()));
        else if (bad == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(third));
        else
            QVERIFY(TestStore::WriteFile(third, "soon gone"));
        list << third << files(1);
        QVERIFY(m_form->AddFiles(list));
        if (bad == QLatin1String("vanished"))
            QVERIFY(QFile::remove(third));
        m_form->exportBtnClick();
        QStringList names;
        m_f.dm->ListPictureNames(1, &names);
        QCOMPARE(names.size(), 2); // the two before it, complete; nothing after
        for (int i = 0; i < 2; ++i)
            QCOMPARE(m_f.dm->PictureData(m_f.dm->FindPictureId(1, names[i])), TestStore::ReadFile(list[i]));
        QCOMPARE(m_f.dm->FindPictureId(1, QStringLiteral("third")), -1);
        QVERIFY(!m_form->Imported);
        QCOMPARE(m_f.prompts->Messages.last().kind, PromptKind::Error);
    }

    void droppedFiles()
    {
        QStringList dropped = files(2);
        const QString text = m_f.dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(TestStore::WriteFile(text, "not a picture"));
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString &f : dropped + QStringList{text})
            urls.append(QUrl::fromLocalFile(f));
        mime.setUrls(urls);
        const auto dropOnList = [&] {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_form->PicList->viewport(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_form->PicList->viewport(), &drop);
        };
        dropOnList();
        QCOMPARE(m_form->PicList->count(), 2);
        QCOMPARE(m_form->PicList->item(0)->text(), dropped.first());
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("只能导入JPG图片文件,其他文件已略过!"));
        // Under the same rule as chosen files.
        QVERIFY(m_form->AddFiles(files(48)));
        dropOnList();
        QCOMPARE(m_form->PicList->count(), 50);
    }

    void chooserListsCameraNames()
    {
        const QString folder = m_f.dir.filePath(QStringLiteral("camera"));
        QVERIFY(QDir().mkpath(folder));
        const QByteArray jpeg = JpegFixtures::Make(JpegFixtures::Quarters(16, 16), JpegFixtures::Kind::Baseline);
        for (const char *name : {"IMG_0001.JPG", "IMG_0002.jpeg", "notes.txt"})
            QVERIFY(TestStore::WriteFile(folder + QLatin1Char('/') + QLatin1String(name), jpeg));
        QStringList listed;
        QString title;
        OnNextModal([&](QDialog *d) {
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
        m_form->spSkinButton1->click();
        QCOMPARE(title, QStringLiteral("选择图片(可多选)"));
        listed.sort();
        QCOMPARE(listed, (QStringList{"IMG_0001.JPG", "IMG_0002.jpeg"}));
        QCOMPARE(m_form->PicList->count(), 2);
    }

    void importCommandRebuildsTheTree()
    {
        m_form.reset();
        auto main = FormFixture::Open(m_f);
        QTreeWidgetItem *root = main->PicLibView->topLevelItem(0);
        // Closed without a run: the tree is left alone.
        OnNextModal([](QDialog *d) { static_cast<TexportPic *>(d)->spSkinButton3->click(); });
        main->Action("N4")->trigger();
        QCOMPARE(main->PicLibView->topLevelItem(0), root);

        const QStringList two = files(2);
        OnNextModal([this, two](QDialog *d) {
            auto *dialog = static_cast<TexportPic *>(d);
            dialog->LibCom->Fill(QStringLiteral("<请选择相册>"), {QStringLiteral("trip")});
            dialog->LibCom->setCurrentIndex(1);
            dialog->AddFiles(two);
            dialog->exportBtn->click();
            dialog->spSkinButton3->click();
        });
        main->Action("N4")->trigger();
        QTreeWidgetItem *trip = FormFixture::Album(*main, QStringLiteral("trip"));
        QVERIFY(trip);
        QCOMPARE(trip->childCount(), 2);
        QVERIFY(!main->PicLibView->topLevelItem(0)->isExpanded());
    }

private:
    void chooseAlbum(const QString &name)
    {
        m_form->LibComDropDown();
        const int index = m_form->LibCom->findText(name);
        m_form->LibCom->setCurrentIndex(index);
        emit m_form->LibCom->activated(index);
    }

    // Files of distinct names, each a small JPEG.
    QStringList files(int n)
    {
        QStringList list;
        const QByteArray jpeg = JpegFixtures::Make(JpegFixtures::Quarters(16, 16), JpegFixtures::Kind::Baseline);
        for (int i = 0; i < n; ++i) {
            const QString path = m_f.dir.filePath(QStringLiteral("p%1.%2.jpg").arg(++m_count).arg(i));
            TestStore::WriteFile(path, jpeg);
            list.append(path);
        }
        return list;
    }

    TestStore::Fixture m_f;
    std::unique_ptr<TexportPic> m_form;
    int m_count = 0;
};

QTEST_MAIN(TestImport)
#include "test_import.moc"
