// The album export dialog: its checks, the export folder rule, the album
// password, and runs whose files are the imported files byte for byte.

#include "FormFixture.h"
#include "Modal.h"
#include "AlbumStore.h"
#include "AlbumExportDialog.h"
#include "TestStore.h"
#include "JpegFixtures.h"
#include "Sql.h"

#include <QFileDialog>
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
        QVERIFY(m_f.setUp());
        QVERIFY(m_f.store->addAlbum(QStringLiteral("旅行"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("secret"), QStringLiteral("pw1")));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("empty"), QString()));
        m_files.clear();
        // Camera files, a picture that is not a JPEG, and one with metadata
        // a re-encoding would drop.
        m_files[QStringLiteral("beach")] = JpegFixtures::make(JpegFixtures::quarters(64, 48), JpegFixtures::Kind::Progressive);
        m_files[QStringLiteral("海边")] = JpegFixtures::make(JpegFixtures::quarters(30, 20), JpegFixtures::Kind::Baseline)
                                          + QByteArray("trailing bytes of a camera");
        m_files[QStringLiteral("drawing")] = JpegFixtures::notAPicture();
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            TestStore::addPictureBytes(m_f.dir, 1, it.key(), it.value());
        m_target = m_f.dir.filePath(QStringLiteral("out%1").arg(++m_run));
        QVERIFY(QDir().mkpath(m_target));
        m_form = std::make_unique<AlbumExportDialog>(*m_f.library);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        m_f.tearDown();
    }

    void layout()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("相册导出"));
        QCOMPARE(m_form->size(), QSize(384, 194));
        QCOMPARE(m_form->albumChooser->geometry(), QRect(72, 69, 283, 20));
        QCOMPARE(m_form->targetFolderEdit->geometry(), QRect(72, 105, 265, 18));
        QCOMPARE(m_form->exportButton->text(), QStringLiteral("开始导出"));
        QCOMPARE(m_form->closeButton->text(), QStringLiteral("关闭"));
        QCOMPARE(m_form->albumStatus->text(), QStringLiteral("当前相册："));
        QCOMPARE(m_form->albumChooser->currentText(), QStringLiteral("<选择相册>"));
        QVERIFY(!m_form->progressLabel->isVisible());
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
        QCOMPARE(AlbumExportDialog::exportFolder(target, album), folder);
    }

    void startChecks()
    {
        m_form->targetFolderEdit->setText(m_target);
        m_form->exportButton->click();
        QCOMPARE(QApplication::focusWidget(), m_form->albumChooser);
        choose(QStringLiteral("旅行"));
        m_form->targetFolderEdit->setText(QStringLiteral("   "));
        m_form->exportButton->click();
        QCOMPARE(QApplication::focusWidget(), m_form->targetFolderEdit);
        m_form->targetFolderEdit->setText(m_f.dir.filePath(QStringLiteral("no/such/folder")));
        m_form->exportButton->click();
        QVERIFY(!QFileInfo::exists(m_f.dir.filePath(QStringLiteral("no"))));
        QCOMPARE(m_f.prompts->messages,
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
        m_f.prompts->queuePassword(answer);
        choose(QStringLiteral("secret"));
        QCOMPARE(m_form->albumChooser->currentIndex() != 0, chosen);
        QCOMPARE(m_form->albumStatus->text(), chosen ? QStringLiteral("当前相册: secret  ") : QStringLiteral("当前相册: "));
        const bool warned = !chosen && !answer.isEmpty();
        QCOMPARE(m_f.prompts->messages.size(), warned ? 2 : 1);
        if (warned)
            QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("访问密码不正确,不能导出该相册的相片!"));
    }

    void roundTripIsByteIdentical()
    {
        choose(QStringLiteral("旅行"));
        m_form->targetFolderEdit->setText(m_target + QLatin1Char('/'));
        TextRecorder recorder;
        m_form->progressLabel->installEventFilter(&recorder);
        m_form->exportButton->click();
        const QString folder = m_target + QStringLiteral("/旅行");
        QStringList expected;
        for (const QString &name : m_files.keys())
            expected.append(name + QStringLiteral(".jpg"));
        expected.sort();
        QCOMPARE(entries(folder), expected);
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            QCOMPARE(TestStore::readFile(folder + QLatin1Char('/') + it.key() + QStringLiteral(".jpg")), it.value());
        QVERIFY(recorder.texts.contains(QStringLiteral("正在导出:   ") + folder + QStringLiteral("/1")));
        QCOMPARE(m_f.prompts->messages.last(),
                 (PromptRecord{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("导出图片已完成!")}));
        QVERIFY(!m_form->progressLabel->isVisible());
        QVERIFY(m_form->exportButton->isEnabled());

        // Again into the same folder: every file replaced, the same bytes.
        TestStore::writeFile(folder + QStringLiteral("/beach.jpg"), "stale");
        m_form->exportButton->click();
        QCOMPARE(TestStore::readFile(folder + QStringLiteral("/beach.jpg")), m_files.value(QStringLiteral("beach")));
        QCOMPARE(entries(folder), expected);
        QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("导出图片已完成!"));
    }

    void emptyAlbum()
    {
        choose(QStringLiteral("empty"));
        m_form->targetFolderEdit->setText(m_target);
        m_form->exportButton->click();
        QVERIFY(QFileInfo(m_target + QStringLiteral("/empty")).isDir());
        QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("该相册下暂未发现图片!"));
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
        SqlStatement rename(m_f.store->connection(), QStringLiteral("Update PicInfoTable Set PicName = ? Where PicName = 'drawing'"));
        rename.bind(1, name).exec();
        choose(QStringLiteral("旅行"));
        m_form->targetFolderEdit->setText(m_target);
        m_form->exportButton->click();
        QCOMPARE(m_f.prompts->messages.last(),
                 (PromptRecord{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("导出图片失败!")}));
        QCOMPARE(entries(m_target), QStringList{QStringLiteral("旅行")});
        QVERIFY(!QFileInfo::exists(m_f.dir.filePath(QStringLiteral("escaped.jpg"))));
        for (const QString &file : entries(m_target + QStringLiteral("/旅行")))
            QVERIFY(m_files.contains(QFileInfo(file).completeBaseName()));
    }

    void symlinksAreNeverWrittenThrough_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("dangling");
        QTest::addColumn<QString>("message");
        QTest::newRow("album folder") << "旅行" << false << "导出的目录语法是否拼写错误或磁盘是否已满!";
        QTest::newRow("picture file") << "旅行/beach.jpg" << false << "导出图片失败!";
        QTest::newRow("dangling picture file") << "旅行/beach.jpg" << true << "导出图片失败!";
    }
    void symlinksAreNeverWrittenThrough()
    {
        QFETCH(QString, link);
        QFETCH(bool, dangling);
        QFETCH(QString, message);
        // The victim: a folder or a file outside the export folder.
        const QString victims = m_f.dir.filePath(QStringLiteral("victims%1").arg(m_run));
        QVERIFY(QDir().mkpath(victims));
        const bool folder = !link.contains(QLatin1Char('/'));
        const QString victim = victims + (folder ? QStringLiteral("/folder") : QStringLiteral("/photo.jpg"));
        if (folder)
            QVERIFY(QDir().mkpath(victim));
        else if (!dangling)
            QVERIFY(TestStore::writeFile(victim, "the victim's own bytes"));
        if (!folder)
            QVERIFY(QDir().mkpath(m_target + QStringLiteral("/旅行")));
        QVERIFY(QFile::link(victim, m_target + QLatin1Char('/') + link));

        choose(QStringLiteral("旅行"));
        m_form->targetFolderEdit->setText(m_target);
        m_form->exportButton->click();
        QCOMPARE(m_f.prompts->messages.last(), (PromptRecord{PromptKind::Error, QStringLiteral("错误"), message}));
        if (folder)
            QCOMPARE(entries(victim), QStringList());
        else if (dangling)
            QVERIFY(!QFileInfo::exists(victim));
        else
            QCOMPARE(TestStore::readFile(victim), QByteArray("the victim's own bytes"));
        QVERIFY(QFileInfo(m_target + QLatin1Char('/') + link).isSymLink());
    }

    void fullDiskLeavesOnlyWholeFiles()
    {
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")), 64 * 1024);
        if (!disk.isMounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        QByteArray big(100 * 1024, 'x');
        big.prepend(JpegFixtures::make(JpegFixtures::quarters(8, 8), JpegFixtures::Kind::Baseline));
        TestStore::addPictureBytes(m_f.dir, 3, QStringLiteral("a-small"), m_files.value(QStringLiteral("beach")));
        TestStore::addPictureBytes(m_f.dir, 3, QStringLiteral("b-big"), big);
        choose(QStringLiteral("empty"));
        m_form->targetFolderEdit->setText(disk.path());
        m_form->exportButton->click();
        QCOMPARE(m_f.prompts->messages.last().text, QStringLiteral("导出图片失败!"));
        const QString folder = disk.path() + QStringLiteral("/empty");
        QCOMPARE(entries(folder), QStringList{QStringLiteral("a-small.jpg")});
        QCOMPARE(TestStore::readFile(folder + QStringLiteral("/a-small.jpg")), m_files.value(QStringLiteral("beach")));
    }

    void exportCommandOpensTheDialog()
    {
        m_form.reset();
        auto main = FormFixture::open(m_f);
        QWidget *owner = nullptr;
        onNextModal([&](QDialog *d) {
            if (qobject_cast<AlbumExportDialog *>(d))
                owner = d->parentWidget();
            d->close();
        });
        main->action("exportAlbumAction")->trigger();
        QCOMPARE(owner, main.get());
    }

private:
    void choose(const QString &album)
    {
        m_form->albumListOpening();
        const int index = m_form->albumChooser->findText(album);
        m_form->albumChooser->setCurrentIndex(index);
        emit m_form->albumChooser->activated(index);
    }

    TestStore::Fixture m_f;
    std::unique_ptr<AlbumExportDialog> m_form;
    QMap<QString, QByteArray> m_files;
    QString m_target;
    int m_run = 0;
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
