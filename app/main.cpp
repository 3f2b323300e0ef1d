// The program: the command line, the application, the album store and the
// prompts, then the main window.

#include "AlbumLibrary.h"
#include <QCoreApplication>
#include "AlbumStore.h"
#include "CoreDumps.h"
#include "LargeBuffers.h"
#include "Language.h"
#include "Application.h"
#include "MainWindow.h"
#include "OffThread.h"
#include "Prompts.h"
#include "QtPromptHandler.h"
#include "StoreLocation.h"
#include "TerminalCommands.h"
#include "TextRules.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace {

QStringList arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

// The help: each option and its text in two columns, aligned by the width
// the characters take on a terminal (a Chinese character takes two), the
// texts wrapped at 80 columns.
QString helpText(const QString &description, const QList<QCommandLineOption> &options,
                 const QList<std::pair<QString, QString>> &arguments)
{
    QList<std::pair<QString, QString>> optionRows;
    for (const QCommandLineOption &option : options) {
        QStringList names;
        for (const QString &name : option.names())
            names.append(name.size() == 1 ? QStringLiteral("-") + name : QStringLiteral("--") + name);
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            left += QStringLiteral(" <%1>").arg(option.valueName());
        optionRows.append({left, option.description()});
    }
    int column = 0;
    for (const auto &rows : {optionRows, arguments})
        for (const auto &[left, text] : rows)
            column = qMax(column, displayWidth(left));
    column += 4; // two before, two after
    const auto section = [column](const QString &heading, const QList<std::pair<QString, QString>> &rows) {
        QString out = heading + QLatin1Char('\n');
        for (const auto &[left, text] : rows) {
            const QStringList lines = wrapToWidth(text, qMax(20, 80 - column));
            for (qsizetype i = 0; i < qMax<qsizetype>(1, lines.size()); ++i) {
                const QString head = i == 0 ? QStringLiteral("  ") + left : QString();
                out += head + QString(column - displayWidth(head), QLatin1Char(' ')) + lines.value(i) + QLatin1Char('\n');
            }
        }
        return out;
    };
    QStringList usage;
    for (const auto &[name, text] : arguments)
        usage.append(QStringLiteral("[%1...]").arg(name));
    return QCoreApplication::translate("Terminal", "用法: quilbo [选项] %1").arg(usage.join(QLatin1Char(' ')))
           + QLatin1Char('\n') + description + QStringLiteral("\n\n")
           + section(QCoreApplication::translate("Terminal", "选项:"), optionRows) + QLatin1Char('\n')
           + section(QCoreApplication::translate("Terminal", "参数:"), arguments);
}

// The options, their texts in the language installed when it is called.
struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QCoreApplication::translate("Terminal", "显示这份说明。")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QCoreApplication::translate("Terminal", "显示版本。")};
    QCommandLineOption store{QStringLiteral("store"), QCoreApplication::translate("Terminal", "使用这个相册库文件。"),
                             QCoreApplication::translate("Terminal", "文件")};
    QCommandLineOption exportAlbum{
        QStringLiteral("export-album"),
        QCoreApplication::translate(
            "Terminal",
            "不打开窗口,把相册中的图片 (原始文件) 导出到目录: quilbo --export-album 相册 目录。受保护的相册在终端询问密码。"),
        QCoreApplication::translate("Terminal", "相册")};
    QCommandLineOption legacy{
        QStringLiteral("import-legacy"),
        QCoreApplication::translate("Terminal",
                                    "不打开窗口,把旧版 (Windows) 相册库文件中的相册全部导入相册库,并显示结果。"),
        QCoreApplication::translate("Terminal", "文件")};
    QCommandLineOption import{
        QStringLiteral("import"),
        QCoreApplication::translate(
            "Terminal", "不打开窗口,把图片文件和文件夹 (包括子文件夹) 导入相册: quilbo --import 相册 路径...。"
                        "没有该相册时新建;相册中已有的图片不再导入。"),
        QCoreApplication::translate("Terminal", "相册")};
    QString description =
        QCoreApplication::translate("Terminal", "Quilbo 2009 相册管理: 把照片保存在一个加密的相册库文件中。");
    QString pictures = QCoreApplication::translate("Terminal", "图片");
    QString picturesText = QCoreApplication::translate("Terminal", "要导入相册的图片文件。");

    QList<QCommandLineOption> all() const { return {help, version, store, exportAlbum, legacy, import}; }
};

} // namespace

int main(int argc, char **argv)
{
    // Nothing decrypted, no album key and no typed password ends up in a
    // core file.
    preventCoreDumps();
    keepLargeBuffers();
    // The command line is read before any window system is reached, so that
    // --help and --version answer in a terminal without a desktop.
    QCoreApplication::setApplicationName(QStringLiteral("quilbo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILBO_VERSION));
    // The command line is read in no language: its texts are only shown
    // (by --help) once the application object can install the user's.
    QCommandLineParser parser;
    const Options options;
    for (const QCommandLineOption &option : options.all())
        parser.addOption(option);
    const QCommandLineOption &storeOption = options.store;
    const QCommandLineOption &exportOption = options.exportAlbum;
    const QCommandLineOption &legacyOption = options.legacy;
    const QCommandLineOption &importOption = options.import;
    if (!parser.parse(arguments(argc, argv))) {
        std::fprintf(stderr, "quilbo: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(options.help)) {
        QCoreApplication core(argc, argv);
        Language::install();
        const Options shown;
        std::fputs(
            helpText(shown.description, shown.all(), {{shown.pictures, shown.picturesText}}).toLocal8Bit().constData(),
            stdout);
        return 0;
    }
    if (parser.isSet(options.version)) {
        std::printf("Quilbo 2009 %s\n", QUILBO_VERSION);
        return 0;
    }

    if (parser.isSet(exportOption)) {
        QCoreApplication core(argc, argv);
        Language::install();
        const QStringList folder = parser.positionalArguments();
        if (folder.size() != 1) {
            std::fputs(qPrintable(QCoreApplication::translate("Terminal", "quilbo: --export-album 相册 目录\n")),
                       stderr);
            return 2;
        }
        const QString option = parser.value(storeOption);
        const QString portable = StoreLocation::portablePath(QCoreApplication::applicationDirPath());
        const QString store = !option.isEmpty()              ? option
                              : QFileInfo(portable).isFile() ? portable
                                                             : StoreLocation::userStorePath();
        return exportAlbumFromTerminal(store, parser.value(exportOption), folder.first());
    }

    if (parser.isSet(importOption) || parser.isSet(legacyOption)) {
        QCoreApplication core(argc, argv);
        Language::install();
        if (parser.isSet(importOption) && parser.positionalArguments().isEmpty()) {
            std::fputs(qPrintable(QCoreApplication::translate("Terminal", "quilbo: --import 相册 路径...\n")), stderr);
            return 2;
        }
        // As the window would, this makes the user's own store on the first
        // start.
        const StoreLocation::Choice choice =
            StoreLocation::choose(parser.value(storeOption), QCoreApplication::applicationDirPath());
        if (!choice.error.isEmpty()) {
            std::fprintf(stderr, "%s\n",
                         qPrintable(QCoreApplication::translate("Terminal", "无法建立相册库文件 %1:\n%2")
                                        .arg(choice.path, choice.error)));
            return 1;
        }
        if (parser.isSet(importOption))
            return importPicturesFromTerminal(choice.path, parser.value(importOption), parser.positionalArguments());
        return importLegacyFromTerminal(choice.path, parser.value(legacyOption));
    }

    Application app(argc, argv);
    Application::quitOnTerminationSignals();
    AlbumStore store;
    AlbumLibrary library(store);
    store.setProgressHandler(Application::showStoreProgress);
    // Key derivations run off the window's thread.
    store.setWorkRunner(runOffThread);
    Prompts::install(std::make_unique<QtPromptHandler>());

    const StoreLocation::Choice choice =
        StoreLocation::choose(parser.value(storeOption), QCoreApplication::applicationDirPath());
    if (!choice.error.isEmpty()) {
        Prompts::showError(
            QCoreApplication::translate("Terminal", "错误"),
            QCoreApplication::translate("Terminal", "无法建立相册库文件 %1:\n%2").arg(choice.path, choice.error));
        return 1;
    }
    MainWindow window(library, choice.path);
    if (!window.storeOpened())
        return 1; // the error has been shown; nothing else is
    // Ended while it was opening (the loops it ran have ended already).
    if (Application::terminationRequested())
        return 0;
    window.show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        QTimer::singleShot(0, &window, [&window, files] { window.importPictureFiles(files); });
    return app.exec();
}
