// The album export dialog: its checks, the export folder rule, the album
// password, and runs whose files are the imported files byte for byte.

#include "FormFixture.h"
#include "Modal.h"
#include "PicDMUnit.h"
#include "SaveAllPicUnit.h"
#include "TestStore.h"
#include "JpegFixtures.h"
#include "SqlDb.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Records the progress text each time it is drawn.
class TextRecorder : public QObject
{
public:
    QStringList texts;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            texts.append(static_cast<QLabel *>(watched)->text());
        return false;
    }
};

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.Setup());
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("旅行"), QString()));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("secret"), QStringLiteral("pw1")));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("empty"), QString()));
        m_files.clear();
        // Camera files, a picture that is not a JPEG, and one with metadata
        // a re-encoding would drop.
        m_files[QStringLiteral("beach")] = JpegFixtures::Make(JpegFixtures::Quarters(64, 48), JpegFixtures::Kind::Progressive);
        m_files[QStringLiteral("海边")] = JpegFixtures::Make(JpegFixtures::Quarters(30, 20), JpegFixtures::Kind::Baseline)
                                          + QByteArray("trailing bytes of a camera");
        m_files[QStringLiteral("drawing")] = JpegFixtures::Bmp(JpegFixtures::Quarters(8, 8));
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            TestStore::AddPictureBytes(m_f.dir, 1, it.key(), it.value());
        m_target = m_f.dir.filePath(QStringLiteral("out%1").arg(++m_run));
        QVERIFY(QDir().mkpath(m_target));
        m_form = std::make_unique<TSaveAllPicForm>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        m_f.Teardown();
    }

    void layout()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("相册导出"));
        QCOMPARE(m_form->size(), QSize(384, 194));
        QCOMPARE(m_form->LibCom->geometry(), QRect(72, 69, 283, 20));
        QCOMPARE(m_form->SaveToDirEdit->geometry(), QRect(72, 105, 265, 18));
        QCOMPARE(m_form->spSkinButton2->text(), QStringLiteral("开始导出"));
        QCOMPARE(m_form->spSkinButton1->text(), QStringLiteral("关闭"));
        QCOMPARE(m_form->LibTool->text(), QStringLiteral("当前相册："));
        QCOMPARE(m_form->LibCom->currentText(), QStringLiteral("<选择相册>"));
        QVERIFY(!m_form->process->isVisible());
    }

    void exportFolderRule_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "/photos" << "旅行" << "/photos/旅行";
        QTest::newRow("trailing separator") << "/photos/" << "旅行" << "/photos/旅行";
        QTest::newRow("blanks around") << "  /photos \t" << "旅行" << "/photos/旅行";
        QTest::newRow("album with a slash") << "/photos" << "a/b" << "";
        QTest::newRow("album ..") << "/photos" << ".." << "";
        QTest::newRow("album .") << "/photos" << "." << "";
    }
    void exportFolderRule()
    {
        QFETCH(QString, target);
        QFETCH(QString, album);
        QFETCH(QString, folder);
        QCOMPARE(TSaveAllPicForm::ExportFolder(target, album), folder);
    }

    void startChecks()
    {
        m_form->SaveToDirEdit->setText(m_target);
        m_form->spSkinButton2->click();
        QCOMPARE(QApplication::focusWidget(), m_form->LibCom);
        choose(QStringLiteral("旅行"));
        m_form->SaveToDirEdit->setText(QStringLiteral("   "));
        m_form->spSkinButton2->click();
        QCOMPARE(QApplication::focusWidget(), m_form->SaveToDirEdit);
        m_form->SaveToDirEdit->setText(m_f.dir.filePath(QStringLiteral("no/such/folder")));
        m_form->spSkinButton2->click();
        QVERIFY(!QFileInfo::exists(m_f.dir.filePath(QStringLiteral("no"))));
        QCOMPARE(m_f.prompts->Messages,
                 (QList<PromptRecord>{
                     {PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择一个相册!")},
                     {PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择将导出到的目录")},
                     {PromptKind::Error, QStringLiteral("错误"), QStringLiteral("导出的目录语法是否拼写错误或磁盘是否已满!")},
                 }));
    }

    void protectedAlbum_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("right") << "pw1" << true;
        QTest::newRow("wrong") << "pw2" << false;
        QTest::newRow("cancelled") << "" << false;
    }
    void protectedAlbum()
    {
        QFETCH(QString, answer);
        QFETCH(bool, chosen);
        m_f.prompts->QueuePassword(answer);
        choose(QStringLiteral("secret"));
        QCOMPARE(m_form->LibCom->currentIndex() != 0, chosen);
        QCOMPARE(m_form->LibTool->text(), chosen ? QStringLiteral("当前相册: secret  ") : QStringLiteral("当前相册: "));
        const bool warned = !chosen && !answer.isEmpty();
        QCOMPARE(m_f.prompts->Messages.size(), warned ? 2 : 1);
        if (warned)
            QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("访问密码不正确,不能导出该相册的相片!"));
    }

    void roundTripIsByteIdentical()
    {
        choose(QStringLiteral("旅行"));
        m_form->SaveToDirEdit->setText(m_target + QLatin1Char('/'));
        TextRecorder recorder;
        m_form->process->installEventFilter(&recorder);
        m_form->spSkinButton2->click();
        const QString folder = m_target + QStringLiteral("/旅行");
        QStringList expected;
        for (const QString &name : m_files.keys())
            expected.append(name + QStringLiteral(".jpg"));
        expected.sort();
        QCOMPARE(entries(folder), expected);
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            QCOMPARE(TestStore::ReadFile(folder + QLatin1Char('/') + it.key() + QStringLiteral(".jpg")), it.value());
        QVERIFY(recorder.texts.contains(QStringLiteral("正在导出:   ") + folder + QStringLiteral("/1")));
        QCOMPARE(m_f.prompts->Messages.last(),
                 (PromptRecord{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("导出图片已完成!")}));
        QVERIFY(!m_form->process->isVisible());
        QVERIFY(m_form->spSkinButton2->isEnabled());

        // Again into the same folder: every file replaced, the same bytes.
        TestStore::WriteFile(folder + QStringLiteral("/beach.jpg"), "stale");
        m_form->spSkinButton2->click();
        QCOMPARE(TestStore::ReadFile(folder + QStringLiteral("/beach.jpg")), m_files.value(QStringLiteral("beach")));
        QCOMPARE(entries(folder), expected);
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("导出图片已完成!"));
    }

    void emptyAlbum()
    {
        choose(QStringLiteral("empty"));
        m_form->SaveToDirEdit->setText(m_target);
        m_form->spSkinButton2->click();
        QVERIFY(QFileInfo(m_target + QStringLiteral("/empty")).isDir());
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("该相册下暂未发现图片!"));
    }

    void pictureNamesNeverLeaveTheFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("slash") << "../../escaped";
        QTest::newRow("dot dot") << "..";
    }
    void pictureNamesNeverLeaveTheFolder()
    {
        QFETCH(QString, name);
        // A name only an older store or a direct edit could hold.
        SqlStatement rename(m_f.dm->Db(), QStringLiteral("Update PicInfoTable Set PicName = ? Where PicName = 'drawing'"));
        rename.bind(1, name).exec();
        choose(QStringLiteral("旅行"));
        m_form->SaveToDirEdit->setText(m_target);
        m_form->spSkinButton2->click();
        QCOMPARE(m_f.prompts->Messages.last(),
                 (PromptRecord{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("导出图片失败!")}));
        QCOMPARE(entries(m_target), QStringList{QStringLiteral("旅行")});
        QVERIFY(!QFileInfo::exists(m_f.dir.filePath(QStringLiteral("escaped.jpg"))));
        for (const QString &file : entries(m_target + QStringLiteral("/旅行")))
            QVERIFY(m_files.contains(QFileInfo(file).completeBaseName()));
    }

    void fullDiskLeavesOnlyWholeFiles()
    {
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")), 64 * 1024);
        if (!disk.Mounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        QByteArray big(100 * 1024, 'x');
        big.prepend(JpegFixtures::Make(JpegFixtures::Quarters(8, 8), JpegFixtures::Kind::Baseline));
        TestStore::AddPictureBytes(m_f.dir, 3, QStringLiteral("a-small"), m_files.value(QStringLiteral("beach")));
        TestStore::AddPictureBytes(m_f.dir, 3, QStringLiteral("b-big"), big);
        choose(QStringLiteral("empty"));
        m_form->SaveToDirEdit->setText(disk.Path());
        m_form->spSkinButton2->click();
        QCOMPARE(m_f.prompts->Messages.last().text, QStringLiteral("导出图片失败!"));
        const QString folder = disk.Path() + QStringLiteral("/empty");
        QCOMPARE(entries(folder), QStringList{QStringLiteral("a-small.jpg")});
        QCOMPARE(TestStore::ReadFile(folder + QStringLiteral("/a-small.jpg")), m_files.value(QStringLiteral("beach")));
    }

    void exportCommandOpensTheDialog()
    {
        m_form.reset();
        auto main = FormFixture::Open(m_f);
        QWidget *owner = nullptr;
        OnNextModal([&](QDialog *d) {
            if (qobject_cast<TSaveAllPicForm *>(d))
                owner = d->parentWidget();
            d->close();
        });
        main->Action("N5")->trigger();
        QCOMPARE(owner, main.get());
    }

private:
    void choose(const QString &album)
    {
        m_form->LibComDropDown();
        const int index = m_form->LibCom->findText(album);
        m_form->LibCom->setCurrentIndex(index);
        emit m_form->LibCom->activated(index);
    }

    TestStore::Fixture m_f;
    std::unique_ptr<TSaveAllPicForm> m_form;
    QMap<QString, QByteArray> m_files;
    QString m_target;
    int m_run = 0;
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
