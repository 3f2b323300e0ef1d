#include "PromptWindow.h"

#include <QApplication>
#include <QFont>
#include <QScreen>
#include <QWidget>

namespace PromptWindow {

Qt::WindowFlags flags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

QFont font()
{
    QFont f = QApplication::font();
    f.setPixelSize(11);
    return f;
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

} // namespace PromptWindow
