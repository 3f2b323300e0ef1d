// The desktop wallpaper: the desktop told from XDG_CURRENT_DESKTOP, the
// exact commands run for each, the file written, and what the user is told
// when it cannot be done. GNOME is also tried with the real gsettings.

#include "JpegCodec.h"
#include "JpegFixtures.h"
#include "ProcessRunner.h"
#include "TestStore.h"
#include "Wallpaper.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QFileInfo>
#include <QTest>
#include <QUrl>

namespace {

// Records every command; programs are "installed" when listed in
// installed, and succeed unless listed in failing.
class ScriptedRunner : public CommandRunner
{
public:
    QStringList installed;
    QStringList failing;
    QMap<QString, QByteArray> outputs; // by the command's first argument
    QList<QStringList> commands;       // program name, then the arguments

    QString find(const QString &program) override
    {
        return installed.contains(program) ? QStringLiteral("/usr/bin/") + program : QString();
    }
    CommandResult run(const QString &program, const QStringList &args) override
    {
        const QString name = QFileInfo(program).fileName();
        commands.append(QStringList{name} + args);
        CommandResult r;
        r.started = true;
        r.exitCode = failing.contains(name) ? 1 : 0;
        r.output = outputs.value(args.value(0) == QLatin1String("-c") ? args.value(2) : args.value(0));
        return r;
    }
};

} // namespace

class TestWallpaper : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_data.isValid());
        // Each test starts with an empty data folder.
        QVERIFY(QDir(m_data.path()).removeRecursively() && QDir().mkpath(m_data.path()));
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
        qputenv("DISPLAY", ":99");
        auto runner = std::make_unique<ScriptedRunner>();
        m_runner = runner.get();
        Wallpaper::setCommandRunner(std::move(runner));
        m_picture = JpegFixtures::quarters(80, 60);
    }
    void cleanup() { Wallpaper::setCommandRunner(nullptr); }

    void detectAndModes_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("desktop");
        QTest::newRow("GNOME") << "GNOME" << true << int(Wallpaper::Desktop::Gnome);
        QTest::newRow("Ubuntu") << "ubuntu:GNOME" << true << int(Wallpaper::Desktop::Gnome);
        QTest::newRow("Budgie") << "Budgie:GNOME" << true << int(Wallpaper::Desktop::Gnome);
        QTest::newRow("Cinnamon") << "X-Cinnamon" << true << int(Wallpaper::Desktop::Cinnamon);
        QTest::newRow("KDE") << "KDE" << true << int(Wallpaper::Desktop::Kde);
        QTest::newRow("XFCE") << "XFCE" << true << int(Wallpaper::Desktop::Xfce);
        QTest::newRow("other X") << "i3" << true << int(Wallpaper::Desktop::PlainX);
        QTest::newRow("nothing at all") << "" << false << int(Wallpaper::Desktop::Unknown);
    }
    void detectAndModes()
    {
        QFETCH(QString, current);
        QFETCH(bool, display);
        QFETCH(int, desktop);
        QCOMPARE(int(Wallpaper::detectDesktop(current, display)), desktop);
        QCOMPARE(Wallpaper::modeFor(0, 0), Wallpaper::Mode::Centred);
        QCOMPARE(Wallpaper::modeFor(0, 1), Wallpaper::Mode::Tiled);
        QCOMPARE(Wallpaper::modeFor(2, 1), Wallpaper::Mode::Stretched);
    }

    void gnomeCommands()
    {
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        m_runner->installed = {QStringLiteral("gsettings")};
        m_runner->outputs[QStringLiteral("list-keys")] = "picture-options\npicture-uri\npicture-uri-dark\n";
        QCOMPARE(Wallpaper::set(&m_picture, 2, 1), QString());
        const QString file = wallpaperFolder() + QStringLiteral("/wallpaperimage.jpg");
        const QString uri = QUrl::fromLocalFile(file).toString();
        const QString schema = QStringLiteral("org.gnome.desktop.background");
        QCOMPARE(m_runner->commands, (QList<QStringList>{
                                         {"gsettings", "list-keys", schema},
                                         {"gsettings", "set", schema, "picture-options", "stretched"},
                                         {"gsettings", "set", schema, "picture-uri", uri},
                                         {"gsettings", "set", schema, "picture-uri-dark", uri},
                                     }));
        // The picture as JPEG data, at its own size.
        QCOMPARE(JpegCodec::decode(TestStore::readFile(file)).size(), QSize(80, 60));
        // An older desktop without the dark key: it is not set.
        m_runner->commands.clear();
        m_runner->outputs[QStringLiteral("list-keys")] = "picture-options\npicture-uri\n";
        QCOMPARE(Wallpaper::set(&m_picture, 0, 0), QString());
        QCOMPARE(m_runner->commands.size(), 3);
        QCOMPARE(m_runner->commands[1].last(), QStringLiteral("centered"));
        // A protected album's picture: readable by the user alone, also
        // where the file was there before.
        QVERIFY(QFileInfo(file).permissions() & QFileDevice::ReadOther);
        QCOMPARE(Wallpaper::set(&m_picture, 0, 0, true), QString());
        QCOMPARE(QFileInfo(file).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    }

    void kdeCommands()
    {
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        m_runner->installed = {QStringLiteral("plasma-apply-wallpaperimage")};
        QCOMPARE(Wallpaper::set(&m_picture, 0, 1), QString());
        QCOMPARE(Wallpaper::set(&m_picture, 0, 0), QString());
        const QString a = wallpaperFolder() + QStringLiteral("/wallpaperimage-a.jpg");
        const QString b = wallpaperFolder() + QStringLiteral("/wallpaperimage-b.jpg");
        QCOMPARE(m_runner->commands, (QList<QStringList>{
                                         {"plasma-apply-wallpaperimage", "--fill-mode", "tile", a},
                                         {"plasma-apply-wallpaperimage", "--fill-mode", "pad", b},
                                     }));
        // Two names take turns; only the one in use is kept.
        QVERIFY(!QFile::exists(a));
        QVERIFY(QFile::exists(b));

        // Without the tool, the shell's script through qdbus.
        m_runner->installed = {QStringLiteral("qdbus")};
        m_runner->commands.clear();
        QCOMPARE(Wallpaper::set(&m_picture, 2, 1), QString());
        QCOMPARE(m_runner->commands.size(), 1);
        const QStringList call = m_runner->commands.first();
        QCOMPARE(call.mid(0, 4), (QStringList{"qdbus", "org.kde.plasmashell", "/PlasmaShell",
                                              "org.kde.PlasmaShell.evaluateScript"}));
        QVERIFY(call[4].contains(QStringLiteral("writeConfig('FillMode', 0)")));
        QVERIFY(call[4].contains(QUrl::fromLocalFile(a).toString()));
    }

    void xfceCommands()
    {
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        m_runner->installed = {QStringLiteral("xfconf-query")};
        m_runner->outputs[QStringLiteral("-l")] =
            "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
            "/backdrop/screen0/monitorHDMI-1/workspace0/image-style\n"
            "/backdrop/screen0/monitoreDP-1/workspace0/last-image\n";
        QCOMPARE(Wallpaper::set(&m_picture, 0, 1), QString());
        const QString file = wallpaperFolder() + QStringLiteral("/wallpaperimage.jpg");
        const QString p1 = QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace0/");
        const QString p2 = QStringLiteral("/backdrop/screen0/monitoreDP-1/workspace0/");
        const QString c = QStringLiteral("xfce4-desktop");
        QCOMPARE(m_runner->commands,
                 (QList<QStringList>{
                     {"xfconf-query", "-c", c, "-l"},
                     {"xfconf-query", "-c", c, "-p", p1 + "last-image", "-s", file},
                     {"xfconf-query", "-c", c, "-p", p1 + "image-style", "--create", "-t", "int", "-s", "2"},
                     {"xfconf-query", "-c", c, "-p", p2 + "last-image", "-s", file},
                     {"xfconf-query", "-c", c, "-p", p2 + "image-style", "--create", "-t", "int", "-s", "2"},
                 }));
    }

    void plainXCommands_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("tile");
        QTest::addColumn<QString>("option");
        QTest::newRow("centred") << 0 << 0 << "--bg-center";
        QTest::newRow("tiled") << 0 << 1 << "--bg-tile";
        QTest::newRow("stretched") << 2 << 1 << "--bg-scale";
    }
    void plainXCommands()
    {
        QFETCH(int, style);
        QFETCH(int, tile);
        QFETCH(QString, option);
        qputenv("XDG_CURRENT_DESKTOP", "i3");
        m_runner->installed = {QStringLiteral("feh")};
        QCOMPARE(Wallpaper::set(&m_picture, style, tile), QString());
        QCOMPARE(m_runner->commands,
                 (QList<QStringList>{{"feh", option, wallpaperFolder() + QStringLiteral("/wallpaperimage.jpg")}}));
    }

    void userIsToldWhenItCannotBeDone()
    {
        // No picture: nothing at all.
        const QImage empty;
        QCOMPARE(Wallpaper::set(&empty, 0, 0), QString());
        QCOMPARE(Wallpaper::set(nullptr, 0, 0), QString());
        QVERIFY(m_runner->commands.isEmpty());

        // No desktop known and no X display: not even the file is written.
        QDir(wallpaperFolder()).removeRecursively();
        qputenv("XDG_CURRENT_DESKTOP", "");
        qunsetenv("DISPLAY");
        QCOMPARE(Wallpaper::set(&m_picture, 0, 0), QStringLiteral("无法设置桌面壁纸: 不能识别当前的桌面环境!"));
        QVERIFY(!QDir(wallpaperFolder()).exists());

        // The tool is missing, or it fails.
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        QCOMPARE(Wallpaper::set(&m_picture, 0, 0), QStringLiteral("无法设置桌面壁纸: 找不到程序 gsettings,请先安装它!"));
        m_runner->installed = {QStringLiteral("gsettings")};
        m_runner->failing = {QStringLiteral("gsettings")};
        QCOMPARE(Wallpaper::set(&m_picture, 0, 0), QStringLiteral("设置桌面壁纸失败,桌面没有接受新的壁纸!"));
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        m_runner->installed = {QStringLiteral("xfconf-query")};
        m_runner->failing.clear();
        QCOMPARE(Wallpaper::set(&m_picture, 0, 0), QStringLiteral("设置桌面壁纸失败,桌面没有接受新的壁纸!"));

        // The folder cannot be made: a file stands in its place.
        QVERIFY(QDir(m_data.filePath(QStringLiteral("quilbo2009"))).removeRecursively());
        QVERIFY(TestStore::writeFile(m_data.filePath(QStringLiteral("quilbo2009")), "in the way"));
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        QVERIFY(Wallpaper::set(&m_picture, 0, 0).startsWith(QStringLiteral("无法设置桌面壁纸: 不能建立文件夹")));
    }

    void gnomeWithTheRealGsettings()
    {
        const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
        if (gsettings.isEmpty())
            QSKIP("gsettings is not installed");
        QTemporaryDir config;
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        const auto get = [&](const QString &key) {
            QProcess p;
            p.start(gsettings, {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.background"), key});
            p.waitForFinished();
            return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        };
        if (get(QStringLiteral("picture-uri")).isEmpty())
            QSKIP("GNOME's background schema is not installed");
        Wallpaper::setCommandRunner(std::make_unique<ProcessRunner>());

        const QString uri = QUrl::fromLocalFile(wallpaperFolder() + QStringLiteral("/wallpaperimage.jpg")).toString();
        const struct
        {
            int style, tile;
            const char *options;
        } cases[] = {{0, 0, "'centered'"}, {0, 1, "'wallpaper'"}, {2, 1, "'stretched'"}};
        for (const auto &c : cases) {
            QCOMPARE(Wallpaper::set(&m_picture, c.style, c.tile), QString());
            QCOMPARE(get(QStringLiteral("picture-options")), QString::fromLatin1(c.options));
            QCOMPARE(get(QStringLiteral("picture-uri")), QLatin1Char('\'') + uri + QLatin1Char('\''));
            QCOMPARE(get(QStringLiteral("picture-uri-dark")), QLatin1Char('\'') + uri + QLatin1Char('\''));
        }
        qunsetenv("GSETTINGS_BACKEND");
        qunsetenv("XDG_CONFIG_HOME");
    }

private:
    QString wallpaperFolder() const { return m_data.path() + QStringLiteral("/quilbo2009/wallpaper"); }

    QTemporaryDir m_data;
    ScriptedRunner *m_runner = nullptr;
    QImage m_picture;
};

QTEST_GUILESS_MAIN(TestWallpaper)
#include "test_wallpaper.moc"
