// The program: the application, the album store and the prompts, then the
// main window.

#include "AlbumStore.h"
#include "Application.h"
#include "Artwork.h"
#include "MainWindow.h"
#include "Prompts.h"
#include "QtPromptHandler.h"

#include <QFont>

int main(int argc, char **argv)
{
    Application app(argc, argv);

    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("sans-serif")});
    font.setPixelSize(11);
    app.setFont(font);
    app.setStyleSheet(Artwork::styleSheet());

    AlbumStore store;
    Prompts::install(std::make_unique<QtPromptHandler>());

    MainWindow window(MainWindow::defaultStorePath());
    if (!window.storeOpened())
        return 1; // the error has been shown; nothing else is
    window.show();
    return app.exec();
}
