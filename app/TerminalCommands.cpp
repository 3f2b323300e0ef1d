#include "TerminalCommands.h"
#include <QCoreApplication>

#include "AlbumStore.h"
#include "FileWriting.h"
#include "LegacyImport.h"
#include "PictureImport.h"
#include "StoreError.h"
#include "TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <sodium.h>

#include <cerrno>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

void say(const QString &text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }

// One line from the terminal with its echo off (a pipe is read as it is),
// read a byte at a time straight from the descriptor into locked memory
// that is wiped when freed: no stdio buffer keeps a copy.
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
    constexpr size_t kMax = 1024;
    if (sodium_init() < 0)
        return QString();
    auto *line = static_cast<char *>(sodium_malloc(kMax));
    size_t length = 0;
    for (char c = 0; line && length < kMax;) {
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || c == '\n')
            break;
        line[length++] = c;
    }
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputc('\n', stderr);
    }
    const QString password = line ? QString::fromLocal8Bit(line, qsizetype(length)) : QString();
    sodium_free(line); // wipes it
    return password;
}

// The folder the pictures go to, and what they are made as: a protected
// album's readable by the user alone.
struct ExportTarget
{
    mode_t folderMode;
    mode_t fileMode;
};

// The store opened, or the reason it was not, told on the terminal.
bool openStore(AlbumStore &store, const QString &storePath)
{
    if (store.openStore(storePath))
        return true;
    say(store.openFailure() == AlbumStore::OpenFailure::Missing
            ? QCoreApplication::translate("TerminalCommands", "找不到相册库文件: %1").arg(storePath)
            : store.openFailureMessage());
    return false;
}

// A protected album's password asked on the terminal: true when it opened
// the album; a wrong or empty one is told with the message given.
bool openAlbumFromTerminal(AlbumStore &store, const QString &name, const QString &refused)
{
    QString password =
        readPassword(QCoreApplication::translate("TerminalCommands", "相册 %1 已设置访问密码,请输入密码: ").arg(name));
    const bool opened = !trimText(password).isEmpty() && store.checkAlbumPassword(name, password);
    password.fill(QChar(0));
    if (!opened)
        say(refused);
    return opened;
}

} // namespace

int importPicturesFromTerminal(const QString &storePath, const QString &album, const QStringList &paths)
{
    AlbumStore store;
    if (!openStore(store, storePath))
        return 1;
    const QString name = trimText(album);
    if (name.isEmpty() || !isSafeName(name)) {
        say(QCoreApplication::translate("TerminalCommands", "相册名称不能为空,也不能包含控制字符: %1").arg(album));
        return 1;
    }
    try {
        int albumId = store.findAlbumId(name);
        if (albumId < 0) {
            if (!store.addAlbum(name, QString()) || (albumId = store.findAlbumId(name)) < 0) {
                say(QCoreApplication::translate("TerminalCommands", "无法建立相册: %1").arg(name));
                return 1;
            }
            say(QCoreApplication::translate("TerminalCommands", "已新建相册: %1").arg(name));
        } else if (store.albumHasPassword(name)
                   && !openAlbumFromTerminal(
                       store, name,
                       QCoreApplication::translate("TerminalCommands", "访问密码不正确,不能导入该相册!"))) {
            return 1;
        }
        QList<PictureImport::LeftOut> missing;
        const QStringList files = PictureImport::collectFiles(paths, &missing);
        const bool showProgress = isatty(STDERR_FILENO);
        PictureImport::Summary summary =
            PictureImport::run(store, albumId, files, [showProgress](int done, int total, const QString &file) {
                if (showProgress) {
                    const QString what = file.isEmpty()
                                             ? QCoreApplication::translate("TerminalCommands", "检查相册中已有的图片")
                                             : QFileInfo(file).fileName();
                    std::fprintf(stderr, "\r\033[K[%d/%d] %s", done + 1, total, what.toLocal8Bit().constData());
                    std::fflush(stderr);
                }
                return true;
            },
            // Nothing else here wants the second processor.
            PictureImport::ReadAhead::OnAnotherThread);
        if (showProgress && !files.isEmpty())
            std::fputs("\r\033[K", stderr);
        summary.leftOut = missing + summary.leftOut;
        std::printf("%s\n", summary.text().toLocal8Bit().constData());
        return summary.complete() ? 0 : 1;
    } catch (const std::exception &e) {
        say(QString::fromUtf8(e.what()));
        return 1;
    }
}

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
        say(QCoreApplication::translate("TerminalCommands", "相册库中没有这个相册: %1").arg(name));
        return 1;
    }
    try {
        const bool protectedAlbum = store.albumHasPassword(name);
        if (protectedAlbum
            && !openAlbumFromTerminal(
                store, name, QCoreApplication::translate("TerminalCommands", "访问密码不正确,不能导出该相册!")))
            return 1;
        const ExportTarget made = protectedAlbum ? ExportTarget{0700, 0600} : ExportTarget{0777, 0666};
        // No link is followed on the way to the folder, and no file in it
        // is replaced.
        const SafeFolder target(folder, true, made.folderMode);
        if (folder.isEmpty() || target.fd() < 0) {
            say(QCoreApplication::translate("TerminalCommands", "无法建立导出目录: %1")
                    .arg(folder.isEmpty() ? folder : target.error()));
            return 1;
        }
        QStringList idTexts;
        store.listPictureIds(albumId, &idTexts);
        QList<int> ids;
        for (const QString &id : idTexts)
            ids.append(id.toInt());
        // Read ahead while the files are written, as the export dialog does.
        const auto pictures = store.readPicturesAhead(ids);
        int written = 0;
        QStringList skipped;
        for (const int id : ids) {
            const QByteArray bytes = pictures->next();
            const QString picture = store.pictureName(id);
            const QString file = picture + QStringLiteral(".jpg");
            bool existed = false;
            QString error;
            if (!safeEntryName(picture)) {
                skipped.append(QCoreApplication::translate("TerminalCommands", "%1 (名称不能作为文件名)").arg(picture));
                continue;
            }
            if (!target.writeNewFile(file, bytes, made.fileMode, &existed, &error)) {
                if (existed) {
                    skipped.append(
                        QCoreApplication::translate("TerminalCommands", "%1 (文件已经存在,没有替换)").arg(file));
                    continue;
                }
                say(QCoreApplication::translate("TerminalCommands", "图片 %1 导出失败 (%2),已导出 %3 张。")
                        .arg(picture, error)
                        .arg(written));
                return 1;
            }
            ++written;
        }
        say(QCoreApplication::translate("TerminalCommands", "已导出 %1 张图片到 %2")
                .arg(written)
                .arg(QDir(folder).absolutePath()));
        if (skipped.isEmpty())
            return 0;
        say(QCoreApplication::translate("TerminalCommands", "以下图片没有导出:\n  ")
            + skipped.join(QStringLiteral("\n  ")));
        return 1;
    } catch (const SqlError &e) {
        say(storeErrorMessage(e));
        return 1;
    } catch (const std::exception &e) {
        say(QString::fromUtf8(e.what()));
        return 1;
    }
}
