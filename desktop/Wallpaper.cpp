#include "Wallpaper.h"
#include <QCoreApplication>

#include "FileWriting.h"
#include "JpegCodec.h"
#include "ProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QUrl>

#include <stdexcept>

namespace Wallpaper {

namespace {

const QString kFileName = QStringLiteral("wallpaperimage.jpg");
const QString kAlternateA = QStringLiteral("wallpaperimage-a.jpg");
const QString kAlternateB = QStringLiteral("wallpaperimage-b.jpg");

std::unique_ptr<CommandRunner> &runnerSlot()
{
    static std::unique_ptr<CommandRunner> runner = std::make_unique<ProcessRunner>();
    return runner;
}

QString failedMessage() { return QCoreApplication::translate("Wallpaper", "设置桌面壁纸失败,桌面没有接受新的壁纸!"); }

QString missingToolMessage(const QString &tool)
{
    return QCoreApplication::translate("Wallpaper", "无法设置桌面壁纸: 找不到程序 %1,请先安装它!").arg(tool);
}

// Runs one command; false when it did not start or did not succeed.
bool run(CommandRunner &runner, const QString &program, const QStringList &args, QByteArray *output = nullptr)
{
    const CommandResult r = runner.run(program, args);
    if (output)
        *output = r.output;
    return r.started && r.exitCode == 0;
}

QString applyGsettings(CommandRunner &runner, const QString &schema, const QString &file, Mode mode)
{
    const QString gsettings = runner.find(QStringLiteral("gsettings"));
    if (gsettings.isEmpty())
        return missingToolMessage(QStringLiteral("gsettings"));
    const QString uri = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    const QString options = mode == Mode::Centred ? QStringLiteral("centered")
                            : mode == Mode::Tiled ? QStringLiteral("wallpaper")
                                                  : QStringLiteral("stretched");
    QByteArray keys;
    if (!run(runner, gsettings, {QStringLiteral("list-keys"), schema}, &keys))
        return failedMessage();
    QList<QStringList> commands = {
        {QStringLiteral("set"), schema, QStringLiteral("picture-options"), options},
        {QStringLiteral("set"), schema, QStringLiteral("picture-uri"), uri},
    };
    // Dark-mode users see picture-uri-dark; older desktops do not have it.
    if (QString::fromUtf8(keys).split(QLatin1Char('\n')).contains(QStringLiteral("picture-uri-dark")))
        commands.append({QStringLiteral("set"), schema, QStringLiteral("picture-uri-dark"), uri});
    for (const QStringList &args : commands)
        if (!run(runner, gsettings, args))
            return failedMessage();
    return QString();
}

QString applyKde(CommandRunner &runner, const QString &file, Mode mode)
{
    const QString apply = runner.find(QStringLiteral("plasma-apply-wallpaperimage"));
    if (!apply.isEmpty()) {
        const QString fill = mode == Mode::Centred ? QStringLiteral("pad")
                             : mode == Mode::Tiled ? QStringLiteral("tile")
                                                   : QStringLiteral("stretch");
        return run(runner, apply, {QStringLiteral("--fill-mode"), fill, file}) ? QString() : failedMessage();
    }
    QString qdbus;
    for (const char *name : {"qdbus", "qdbus6", "qdbus-qt6", "qdbus-qt5"}) {
        qdbus = runner.find(QString::fromLatin1(name));
        if (!qdbus.isEmpty())
            break;
    }
    if (qdbus.isEmpty())
        return missingToolMessage(QStringLiteral("plasma-apply-wallpaperimage"));
    const int fillMode = mode == Mode::Centred ? 6 : mode == Mode::Tiled ? 3 : 0;
    const QString url = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    const QString script = QStringLiteral(
                               "var all = desktops();"
                               "for (var i = 0; i < all.length; i++) {"
                               " var d = all[i];"
                               " d.wallpaperPlugin = 'org.kde.image';"
                               " d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"
                               " d.writeConfig('Image', '%1');"
                               " d.writeConfig('FillMode', %2);"
                               "}")
                               .arg(url)
                               .arg(fillMode);
    return run(runner, qdbus,
               {QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                QStringLiteral("org.kde.PlasmaShell.evaluateScript"), script})
               ? QString()
               : failedMessage();
}

QString applyXfce(CommandRunner &runner, const QString &file, Mode mode)
{
    const QString xfconf = runner.find(QStringLiteral("xfconf-query"));
    if (xfconf.isEmpty())
        return missingToolMessage(QStringLiteral("xfconf-query"));
    const QString channel = QStringLiteral("xfce4-desktop");
    QByteArray listing;
    if (!run(runner, xfconf, {QStringLiteral("-c"), channel, QStringLiteral("-l")}, &listing))
        return failedMessage();
    const QString style = mode == Mode::Centred ? QStringLiteral("1")
                          : mode == Mode::Tiled ? QStringLiteral("2")
                                                : QStringLiteral("3");
    int set = 0;
    // One last-image property per monitor and workspace: set them all.
    for (const QString &line : QString::fromUtf8(listing).split(QLatin1Char('\n'))) {
        const QString property = line.trimmed();
        if (!property.endsWith(QLatin1String("/last-image")))
            continue;
        const QString prefix = property.chopped(int(QStringLiteral("last-image").size()));
        if (!run(runner, xfconf, {QStringLiteral("-c"), channel, QStringLiteral("-p"), property,
                                  QStringLiteral("-s"), file}))
            return failedMessage();
        if (!run(runner, xfconf, {QStringLiteral("-c"), channel, QStringLiteral("-p"), prefix + QStringLiteral("image-style"),
                                  QStringLiteral("--create"), QStringLiteral("-t"), QStringLiteral("int"),
                                  QStringLiteral("-s"), style}))
            return failedMessage();
        ++set;
    }
    return set > 0 ? QString() : failedMessage();
}

QString applyFeh(CommandRunner &runner, const QString &file, Mode mode)
{
    const QString feh = runner.find(QStringLiteral("feh"));
    if (feh.isEmpty())
        return missingToolMessage(QStringLiteral("feh"));
    const QString option = mode == Mode::Centred ? QStringLiteral("--bg-center")
                           : mode == Mode::Tiled ? QStringLiteral("--bg-tile")
                                                 : QStringLiteral("--bg-scale");
    return run(runner, feh, {option, file}) ? QString() : failedMessage();
}

} // namespace

Mode modeFor(int style, int tile)
{
    if (style == 2)
        return Mode::Stretched;
    return tile ? Mode::Tiled : Mode::Centred;
}

Desktop detectDesktop(const QString &currentDesktop, bool hasXDisplay)
{
    for (const QString &name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString n = name.trimmed().toUpper();
        if (n == QLatin1String("X-CINNAMON") || n == QLatin1String("CINNAMON"))
            return Desktop::Cinnamon;
        if (n == QLatin1String("GNOME") || n == QLatin1String("GNOME-FLASHBACK") || n == QLatin1String("GNOME-CLASSIC")
            || n == QLatin1String("UNITY") || n == QLatin1String("BUDGIE") || n == QLatin1String("BUDGIE-DESKTOP")
            || n == QLatin1String("PANTHEON") || n == QLatin1String("UBUNTU"))
            return Desktop::Gnome;
        if (n == QLatin1String("KDE"))
            return Desktop::Kde;
        if (n == QLatin1String("XFCE"))
            return Desktop::Xfce;
    }
    return hasXDisplay ? Desktop::PlainX : Desktop::Unknown;
}

QString folder()
{
    QString data = QProcessEnvironment::systemEnvironment().value(QStringLiteral("XDG_DATA_HOME"));
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/quilbo2009/wallpaper");
}

QString saveImage(const QImage &picture, bool alternate, bool privateFile)
{
    const QDir folder(Wallpaper::folder());
    if (!QDir().mkpath(folder.path()))
        return QString();
    QString name = kFileName;
    if (alternate) {
        // Take the name that is not in use now, and drop the other afterwards.
        name = QFile::exists(folder.filePath(kAlternateA)) ? kAlternateB : kAlternateA;
    }
    const QString path = folder.filePath(name);
    QString error;
    if (!writeFileAtomically(path, JpegCodec::encode(picture, JpegCodec::SaveQuality), &error, privateFile ? 0600 : 0666))
        throw std::runtime_error(
            QCoreApplication::translate("Wallpaper", "无法写入壁纸文件 %1: %2").arg(path, error).toStdString());
    if (alternate)
        QFile::remove(folder.filePath(name == kAlternateA ? kAlternateB : kAlternateA));
    return path;
}

QString apply(CommandRunner &runner, Desktop desktop, const QString &file, Mode mode)
{
    switch (desktop) {
    case Desktop::Gnome:
        return applyGsettings(runner, QStringLiteral("org.gnome.desktop.background"), file, mode);
    case Desktop::Cinnamon:
        return applyGsettings(runner, QStringLiteral("org.cinnamon.desktop.background"), file, mode);
    case Desktop::Kde:
        return applyKde(runner, file, mode);
    case Desktop::Xfce:
        return applyXfce(runner, file, mode);
    case Desktop::PlainX:
        return applyFeh(runner, file, mode);
    case Desktop::Unknown:
        break;
    }
    return QCoreApplication::translate("Wallpaper", "无法设置桌面壁纸: 不能识别当前的桌面环境!");
}

void setCommandRunner(std::unique_ptr<CommandRunner> runner)
{
    runnerSlot() = runner ? std::move(runner) : std::make_unique<ProcessRunner>();
}

QString set(const QImage *picture, int style, int tile, bool privateFile)
{
    if (!picture || picture->isNull())
        return QString();
    CommandRunner &runner = *runnerSlot();
    const Desktop desktop =
        detectDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), !qEnvironmentVariableIsEmpty("DISPLAY"));
    if (desktop == Desktop::Unknown)
        return apply(runner, desktop, QString(), modeFor(style, tile));
    const QString file = saveImage(*picture, desktop == Desktop::Kde, privateFile);
    if (file.isEmpty())
        return QCoreApplication::translate("Wallpaper", "无法设置桌面壁纸: 不能建立文件夹 %1!").arg(folder());
    return apply(runner, desktop, file, modeFor(style, tile));
}

} // namespace Wallpaper
