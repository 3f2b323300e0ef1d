#pragma once
// What the prompt boxes share: their window frame, font and placement.

#include <Qt>

class QFont;
class QWidget;

namespace PromptWindow {

// A title bar with a close control and nothing else.
Qt::WindowFlags flags();
// The application font at 11 pixels.
QFont font();
void centreOnScreen(QWidget *window);

} // namespace PromptWindow
