#pragma once
// The desktop wallpaper on Linux desktops: the running desktop is told from
// XDG_CURRENT_DESKTOP, and its own tool is run through an injected command
// runner, so that tests see the exact commands without touching a desktop.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

struct CommandResult
{
    bool started = false;
    int exitCode = -1;
    QByteArray output; // standard output
};

class ICommandRunner
{
public:
    virtual ~ICommandRunner() = default;
    // The program's full path when it is installed, else empty.
    virtual QString Find(const QString &program) = 0;
    virtual CommandResult Run(const QString &program, const QStringList &args) = 0;
};

// Runs programs with QProcess, waiting at most a few seconds for each.
class TProcessRunner : public ICommandRunner
{
public:
    QString Find(const QString &program) override;
    CommandResult Run(const QString &program, const QStringList &args) override;
};

namespace Wallpaper {

enum class Mode { Centred, Tiled, Stretched };
enum class Desktop { Gnome, Cinnamon, Kde, Xfce, PlainX, Unknown };

// The commands' style and tile values: (0, 0) centred, (0, 1) tiled,
// (2, 1) stretched.
Mode ModeFor(int style, int tile);

// The desktop named by XDG_CURRENT_DESKTOP (a list separated by ":"); a
// plain X session when none is known but an X display is there.
Desktop Detect(const QString &currentDesktop, bool hasXDisplay);

// The program's own folder for the wallpaper file, under the user's data
// folder ($XDG_DATA_HOME, by default ~/.local/share).
QString Folder();

// Writes the picture as JPEG data into the wallpaper folder, replacing the
// earlier file, and returns its path; empty when the folder cannot be made.
// With alternate set, two names take turns (KDE Plasma does not reload a
// file replaced under the same name). Throws std::runtime_error with the
// system's message when the file cannot be written.
QString SaveWallpaperImage(const QImage &picture, bool alternate);

// Makes the file the wallpaper of the desktop in the mode. Returns empty
// text on success, else a message for the user saying why not.
QString Apply(ICommandRunner &runner, Desktop desktop, const QString &file, Mode mode);

} // namespace Wallpaper
