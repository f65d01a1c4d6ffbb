#pragma once

#include <QRect>

class QWidget;

namespace zum {

// Design positions are in twips, 1/1440 inch; they become pixels through the
// logical DPI of the screen the widget is on.
int TwipsToPixels(int twips, const QWidget* widget);
QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget);

} // namespace zum
