#pragma once
// The desktop wallpaper on Linux desktops: the running desktop is told from
// XDG_CURRENT_DESKTOP, and its own tool is run through an injected command
// runner, so that tests see the exact commands without touching a desktop.

#include "CommandRunner.h"

#include <QImage>
#include <QString>

#include <memory>

namespace Wallpaper {

enum class Mode { Centred, Tiled, Stretched };
enum class Desktop { Gnome, Cinnamon, Kde, Xfce, PlainX, Unknown };

// The commands' style and tile values: (0, 0) centred, (0, 1) tiled,
// (2, 1) stretched.
Mode modeFor(int style, int tile);

// The desktop named by XDG_CURRENT_DESKTOP (a list separated by ":"); a
// plain X session when none is known but an X display is there.
Desktop detectDesktop(const QString &currentDesktop, bool hasXDisplay);

// The program's own folder for the wallpaper file, under the user's data
// folder ($XDG_DATA_HOME, by default ~/.local/share).
QString folder();

// Writes the picture as JPEG data into the wallpaper folder, replacing the
// earlier file, and returns its path; empty when the folder cannot be made.
// With alternate set, two names take turns (KDE Plasma does not reload a
// file replaced under the same name). Throws std::runtime_error with the
// system's message when the file cannot be written.
// A private file (a protected album's picture) is readable by the user
// alone.
QString saveImage(const QImage &picture, bool alternate, bool privateFile = false);

// Makes the file the wallpaper of the desktop in the mode. Returns empty
// text on success, else a message for the user saying why not.
QString apply(CommandRunner &runner, Desktop desktop, const QString &file, Mode mode);

// Makes the picture the wallpaper of the running desktop: style and tile
// (0, 0) centred, (0, 1) tiled, (2, 1) stretched. Does nothing for a
// missing or empty picture. Returns empty text when done, else a message
// saying why the desktop was not changed. Throws std::runtime_error when
// the wallpaper file cannot be written. A picture of a protected album is
// written readable by the user alone (privateFile).
QString set(const QImage *picture, int style, int tile, bool privateFile = false);

// The runner of the desktop's commands; tests install their own, and null
// brings back the one that runs real programs.
void setCommandRunner(std::unique_ptr<CommandRunner> runner);

} // namespace Wallpaper
