// The screenshots of the user's guide, the README and the software centre,
// taken from the program's own windows: guidescreenshots STORE FOLDER.
// STORE holds an album "旅行" with pictures (guide/make-screenshots.sh makes
// one); the pictures are written into FOLDER. Run under a display (Xvfb).

#include "AlbumChooser.h"
#include "AlbumLibrary.h"
#include "AlbumStore.h"
#include "AlbumTreeModel.h"
#include "Application.h"
#include "FolderImportDialog.h"
#include "MainWindow.h"
#include "NewAlbumDialog.h"
#include "OffThread.h"
#include "PictureViewer.h"
#include "Prompts.h"
#include "QtPromptHandler.h"
#include "SetAlbumPasswordDialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <functional>

namespace {

// Lets the windows draw (thumbnails and pictures are made off the window's
// thread) until the condition holds or the time is up.
void waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void pause(int ms)
{
    waitFor([] { return false; }, ms);
}

bool save(QWidget *window, const QString &folder, const QString &name)
{
    const QString path = QDir(folder).filePath(name);
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "guidescreenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: guidescreenshots STORE FOLDER\n", stderr);
        return 2;
    }
    const QString storePath = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    AlbumStore store;
    AlbumLibrary library(store);
    store.setWorkRunner(runOffThread);
    Prompts::install(std::make_unique<QtPromptHandler>());
    MainWindow window(library, storePath);
    if (!window.storeOpened())
        return 1;
    window.show();
    window.move(0, 0);
    pause(500);

    auto *tree = window.findChild<QTreeView *>(QStringLiteral("albumTree"));
    const QModelIndex root = tree->model()->index(0, 0);
    QModelIndex album;
    for (int row = 0; row < tree->model()->rowCount(root); ++row)
        if (tree->model()->index(row, 0, root).data().toString() == QStringLiteral("旅行"))
            album = tree->model()->index(row, 0, root);
    if (!album.isValid()) {
        std::fputs("guidescreenshots: the store has no album 旅行\n", stderr);
        return 1;
    }
    tree->expand(root);
    tree->setCurrentIndex(album);
    // The background fills the thumbnails in a moment.
    pause(4000);
    bool saved = save(&window, folder, QStringLiteral("album-grid.png"));

    tree->expand(album);
    tree->setCurrentIndex(tree->model()->index(1, 0, album));
    auto *viewer = window.findChild<PictureViewer *>(QStringLiteral("viewer"));
    pause(300);
    waitFor([viewer] { return !viewer->isLoading(); }, 10000);
    pause(300);
    saved = save(&window, folder, QStringLiteral("picture.png")) && saved;

    // A dialog shown as a user fills it in, and taken.
    const auto shoot = [&](QDialog &dialog, const char *name) {
        if (auto *chooser = dialog.findChild<AlbumChooser *>()) {
            chooser->fill(QString(), {QStringLiteral("旅行")});
            chooser->setCurrentIndex(1);
        }
        dialog.show();
        pause(300);
        saved = save(&dialog, folder, QString::fromLatin1(name)) && saved;
    };
    {
        NewAlbumDialog dialog(library, &window);
        dialog.nameEdit->setText(QStringLiteral("海边"));
        shoot(dialog, "new-album.png");
    }
    {
        FolderImportDialog dialog(library, &window);
        dialog.folderEdit->setText(QStringLiteral("/media/card/DCIM"));
        shoot(dialog, "folder-import.png");
    }
    {
        SetAlbumPasswordDialog dialog(library, &window);
        dialog.passwordEdit->setText(QStringLiteral("secret"));
        dialog.confirmEdit->setText(QStringLiteral("secret"));
        shoot(dialog, "set-password.png");
    }
    return saved ? 0 : 1;
}
