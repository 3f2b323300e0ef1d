// The program: the application, the data module, then the main window.

#include "Application.h"
#include "Artwork.h"
#include "MainUnit.h"
#include "PicDMUnit.h"
#include "QtPrompts.h"

#include <QFont>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);

    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("sans-serif")});
    font.setPixelSize(11);
    app.setFont(font);
    app.setStyleSheet(Artwork::StyleSheet());

    TPicDM dm;
    dm.SetPrompts(std::make_unique<TQtPrompts>());

    TMainForm form(TMainForm::DefaultStorePath());
    if (!form.StoreOpened())
        return 1; // the error has been shown; nothing else is
    form.show();
    return app.exec();
}
