// Start-up: where the album store is, the user's own store made on the
// first start only, the command line, and files named on it reaching the
// import list.

#include "TextRules.h"
#include "Application.h"
#include "FormFixture.h"
#include "Modal.h"
#include "PictureImportDialog.h"
#include "QtPromptHandler.h"
#include "Sql.h"
#include "StoreLocation.h"
#include "StoreSchema.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <sys/stat.h>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("XDG_DATA_HOME", m_home->filePath(QStringLiteral("data")).toUtf8());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_home->filePath(QStringLiteral("config")));
        QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("program"))));
    }

    void storeChoice_data()
    {
        QTest::addColumn<QString>("option");       // relative to the temporary home
        QTest::addColumn<bool>("portable");        // date/pdate.pdb beside the program
        QTest::addColumn<bool>("userStore");       // the user's store is there already
        QTest::addColumn<bool>("madeBefore");      // the settings say it was made before
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("created");
        QTest::newRow("--store") << "elsewhere/my.pdb" << true << true << false << "elsewhere/my.pdb" << false;
        QTest::newRow("portable layout") << "" << true << true << false << "program/date/pdate.pdb" << false;
        QTest::newRow("the user's store") << "" << false << true << true << "data/quilbo2009/pdate.pdb" << false;
        QTest::newRow("first start") << "" << false << false << false << "data/quilbo2009/pdate.pdb" << true;
        QTest::newRow("store gone after it was made")
            << "" << false << false << true << "data/quilbo2009/pdate.pdb" << false;
    }
    void storeChoice()
    {
        QFETCH(QString, option);
        QFETCH(bool, portable);
        QFETCH(bool, userStore);
        QFETCH(bool, madeBefore);
        QFETCH(QString, chosen);
        QFETCH(bool, created);
        if (portable)
            make(QStringLiteral("program/date/pdate.pdb"));
        if (userStore)
            make(QStringLiteral("data/quilbo2009/pdate.pdb"));
        if (madeBefore)
            settings().setValue(QStringLiteral("store/userStoreCreated"), true);

        const StoreLocation::Choice choice = StoreLocation::choose(
            option.isEmpty() ? QString() : m_home->filePath(option), m_home->filePath(QStringLiteral("program")));
        QCOMPARE(choice.path, m_home->filePath(chosen));
        QCOMPARE(choice.created, created);
        QVERIFY(choice.error.isEmpty());
        const QFileInfo store(m_home->filePath(QStringLiteral("data/quilbo2009/pdate.pdb")));
        if (created) {
            // Private to the user, and remembered.
            QCOMPARE(mode(store.filePath()), 0600u);
            QCOMPARE(mode(store.absolutePath()), 0700u);
            QVERIFY(settings().value(QStringLiteral("store/userStoreCreated")).toBool());
            // Where the README says the note is kept.
            QVERIFY(QFile::exists(m_home->filePath(QStringLiteral("config/quilbo2009/quilbo2009.ini"))));
            AlbumStore opened;
            QVERIFY(opened.openStore(choice.path));
        } else {
            QCOMPARE(store.exists(), userStore);
        }
    }

    void storeGoneIsToldAndNothingIsMade()
    {
        settings().setValue(QStringLiteral("store/userStoreCreated"), true);
        const StoreLocation::Choice choice =
            StoreLocation::choose(QString(), m_home->filePath(QStringLiteral("program")));
        TestStore::Fixture f;
        QVERIFY(f.setUp(false));
        MainWindow window(*f.library, choice.path);
        QVERIFY(!window.storeOpened());
        QCOMPARE(f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("错误"), QStringLiteral("找不到相册库文件!")}}));
        QVERIFY(!QFileInfo::exists(choice.path));
    }

    // What is in the store's place decides what the user is told: a store
    // that is really missing, a file that is there but no album store, and
    // a store whose first page is damaged each get their own message.
    void whatIsInTheStoresPlace_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("told");
        const QString notAStore = QStringLiteral("文件 %1 不是相册库文件,无法打开!");
        QTest::newRow("nothing") << "nothing" << "找不到相册库文件!";
        QTest::newRow("a JPEG picture") << "jpeg" << notAStore;
        QTest::newRow("a plain SQLite database") << "sqlite" << notAStore;
        QTest::newRow("random bytes") << "random" << notAStore;
        QTest::newRow("an empty file") << "empty" << notAStore;
        QTest::newRow("a folder") << "folder" << notAStore;
        QTest::newRow("a store with its first page damaged") << "damaged" << "相册库已损坏,无法打开,请用备份恢复相册库!";
    }
    void whatIsInTheStoresPlace()
    {
        QFETCH(QString, content);
        QFETCH(QString, told);
        TestStore::Fixture f;
        QVERIFY(f.setUp(false));
        const QString path = f.dir.filePath(QStringLiteral("pdate.pdb"));
        if (content == QLatin1String("jpeg")) {
            QVERIFY(TestStore::writeFile(path, JpegFixtures::make(JpegFixtures::quarters(64, 48), JpegFixtures::Kind::Baseline)));
        } else if (content == QLatin1String("sqlite")) {
            SqlConnection plain;
            plain.open(path, true);
            plain.execFixed("CREATE TABLE PicLibTable (PicLibID INTEGER)");
        } else if (content == QLatin1String("random")) {
            QByteArray noise(64 * 4096, Qt::Uninitialized);
            QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
            QVERIFY(TestStore::writeFile(path, noise));
        } else if (content == QLatin1String("empty")) {
            QVERIFY(TestStore::writeFile(path, QByteArray()));
        } else if (content == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (content == QLatin1String("damaged")) {
            QVERIFY(StoreSchema::createEmptyStore(path));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(100)); // past the salt, inside the first page
            QVERIFY(file.write(QByteArray(200, 'x')) == 200);
        }
        const QDateTime before = QFileInfo(path).lastModified();
        MainWindow window(*f.library, path);
        QVERIFY(!window.storeOpened());
        QCOMPARE(f.prompts->messages, (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("错误"),
                                                           told.contains(QLatin1String("%1")) ? told.arg(path) : told}}));
        // Nothing was made in its place, nothing changed.
        QCOMPARE(QFileInfo::exists(path), content != QLatin1String("nothing"));
        QCOMPARE(QFileInfo(path).lastModified(), before);
    }

    void terminationEndsAnOpenBox()
    {
        // The real boxes, and the program's handling of SIGTERM.
        AlbumStore store;
        AlbumLibrary library(store);
        Prompts::install(std::make_unique<QtPromptHandler>());
        Application::quitOnTerminationSignals();
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close(); // the test then fails rather than hangs
        });
        guard.start(20000);
        QElapsedTimer elapsed;
        elapsed.start();
        whenBoxShown([] { ::raise(SIGTERM); });
        MainWindow window(library, m_home->filePath(QStringLiteral("no-store.pdb")));
        QVERIFY(!window.storeOpened());
        QVERIFY(Application::terminationRequested());
        QVERIFY(elapsed.elapsed() < 15000);
        endLoops();

        // A question cut short by the end of every loop is a No.
        whenBoxShown([] { QCoreApplication::exit(0); });
        QCOMPARE(Prompts::askYesNo(QStringLiteral("提示"), QStringLiteral("确定要删除该图片吗?")), int(IdNo));
        QVERIFY(elapsed.elapsed() < 15000);
        endLoops();
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("printed");
        // In the user's language: English for English, else Chinese.
        QTest::newRow("--help") << "--help"
                                << ""
                                << "--store <文件>";
        QTest::newRow("-h") << "-h"
                            << ""
                            << "用法: quilbo [选项] [图片...]";
        QTest::newRow("-h zh_CN") << "-h"
                                  << "zh_CN"
                                  << "选项:\n  -h, --help";
        QTest::newRow("--help en") << "--help"
                                   << "en"
                                   << "Usage: quilbo [options] [pictures...]";
        QTest::newRow("-h en_GB:zh") << "-h"
                                     << "en_GB:zh_CN"
                                     << "  --store <file>";
        QTest::newRow("-h de:en") << "-h"
                                  << "de:en"
                                  << "Options:\n  -h, --help  ";
        QTest::newRow("--version") << "--version"
                                   << ""
                                   << "Quilbo 2009 " QUILBO_VERSION_TEXT;
    }
    void helpAndVersion()
    {
        QFETCH(QString, option);
        QFETCH(QString, language);
        QFETCH(QString, printed);
        QProcess program;
        // No display at all: the answer comes before any window system.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        if (!language.isEmpty())
            env.insert(QStringLiteral("LANGUAGE"), language);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QUILBO_PROGRAM), {option});
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitCode(), 0);
        const QString said = QString::fromLocal8Bit(program.readAllStandardOutput());
        QVERIFY2(said.contains(printed), qPrintable(printed));
        if (option != QLatin1String("--version")) {
            // Two columns aligned as a terminal shows them, within 80.
            int column = -1;
            for (const QString &line : said.split(QLatin1Char('\n'))) {
                QVERIFY2(displayWidth(line) <= 80, qPrintable(line));
                if (!line.startsWith(QStringLiteral("  ")))
                    continue;
                const qsizetype text = line.indexOf(QRegularExpression(QStringLiteral("\\S")), line.indexOf(QStringLiteral("  "), 2));
                const int at = displayWidth(line.left(text));
                QVERIFY2(column < 0 || at == column, qPrintable(line));
                column = at;
            }
            QVERIFY(column > 0);
        }
        QVERIFY(!QFileInfo::exists(m_home->filePath(QStringLiteral("data"))));
    }

    void filesOnTheCommandLineReachTheImportList()
    {
        TestStore::Fixture f;
        QVERIFY(f.setUp());
        auto window = FormFixture::open(f);
        const QString jpeg = f.dir.filePath(QStringLiteral("holiday.JPG"));
        const QString text = f.dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(TestStore::writeFile(jpeg, JpegFixtures::make(JpegFixtures::quarters(8, 8), JpegFixtures::Kind::Baseline)));
        QVERIFY(TestStore::writeFile(text, "not a picture"));
        QStringList listed;
        onNextModal([&](QDialog *d) {
            auto *dialog = qobject_cast<PictureImportDialog *>(d);
            QVERIFY(dialog);
            QTRY_COMPARE(dialog->fileList->count(), 1);
            listed.append(dialog->fileList->item(0)->text());
            dialog->close();
        });
        window->importPictureFiles({jpeg, text});
        QCOMPARE(listed, QStringList{jpeg});
        QCOMPARE(f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"),
                                       QStringLiteral("以下文件不是本程序能显示的图片,已略过:\n"
                                                      "notes.txt: 这不是 JPEG 图片,无法显示")}}));
    }

private:
    // Runs act once a modal box is up.
    static void whenBoxShown(std::function<void()> act)
    {
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, act] {
            if (!QApplication::activeModalWidget())
                return;
            poll->stop();
            poll->deleteLater();
            act();
        });
        poll->start(10);
    }
    // After every loop was told to end, the test's own may run again.
    static void endLoops()
    {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }

    static unsigned mode(const QString &path)
    {
        struct stat info = {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
    void make(const QString &relative)
    {
        QString error;
        QVERIFY2(StoreSchema::createEmptyStore(m_home->filePath(relative), &error), qPrintable(error));
    }
    static QSettings settings()
    {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("quilbo2009"),
                         QStringLiteral("quilbo2009"));
    }

    std::unique_ptr<QTemporaryDir> m_home;
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
