#include "TerminalCommands.h"

#include "AlbumStore.h"
#include "ConnectionString.h"
#include "LegacyImport.h"
#include "StoreError.h"
#include "TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

void say(const QString &text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }

// One line from the terminal with its echo off (a pipe is read as it is).
QString readPassword(const QString &prompt)
{
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    for (int c = std::fgetc(stdin); c != EOF && c != '\n'; c = std::fgetc(stdin))
        line.push_back(char(c));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputc('\n', stderr);
    }
    const QString password = QString::fromLocal8Bit(line.data(), qsizetype(line.size()));
    std::fill(line.begin(), line.end(), '\0');
    return password;
}

// The store opened, or the reason it was not, told on the terminal.
bool openStore(AlbumStore &store, const QString &storePath)
{
    if (store.openStore(ConnectionString::forStore(storePath)))
        return true;
    say(store.openFailure() == AlbumStore::OpenFailure::Missing
            ? QStringLiteral("找不到相册库文件: %1").arg(storePath)
            : store.openFailureMessage());
    return false;
}

} // namespace

int importLegacyFromTerminal(const QString &storePath, const QString &legacyFile)
{
    AlbumStore store;
    if (!openStore(store, storePath))
        return 1;
    const LegacyImport::Summary summary = LegacyImport::run(store, legacyFile);
    std::printf("%s\n", summary.text(legacyFile).toLocal8Bit().constData());
    return summary.imported ? 0 : 1;
}

int exportAlbumFromTerminal(const QString &storePath, const QString &album, const QString &folder)
{
    AlbumStore store;
    if (!openStore(store, storePath))
        return 1;
    const QString name = trimText(album);
    const int albumId = store.findAlbumId(name);
    if (albumId < 0) {
        say(QStringLiteral("相册库中没有这个相册: %1").arg(name));
        return 1;
    }
    try {
        if (store.albumHasPassword(name)) {
            const QString password =
                trimText(readPassword(QStringLiteral("相册 %1 已设置访问密码,请输入密码: ").arg(name)));
            if (password.isEmpty() || !store.checkAlbumPassword(name, password)) {
                say(QStringLiteral("访问密码不正确,不能导出该相册!"));
                return 1;
            }
        }
        const QFileInfo target(folder);
        if (folder.isEmpty() || target.isSymLink() || !(target.isDir() || QDir().mkpath(folder))) {
            say(QStringLiteral("无法建立导出目录: %1").arg(folder));
            return 1;
        }
        QStringList ids;
        store.listPictureIds(albumId, &ids);
        int written = 0;
        for (const QString &id : ids) {
            if (!store.exportPictureFile(id.toInt(), folder)) {
                say(QStringLiteral("图片 %1 导出失败,已导出 %2 张。").arg(store.pictureName(id.toInt())).arg(written));
                return 1;
            }
            ++written;
        }
        say(QStringLiteral("已导出 %1 张图片到 %2").arg(written).arg(QDir(folder).absolutePath()));
        return 0;
    } catch (const SqlError &e) {
        say(storeErrorMessage(e));
        return 1;
    } catch (const std::exception &e) {
        say(QString::fromUtf8(e.what()));
        return 1;
    }
}
