#include "platform/twips.hpp"

#include <QWidget>
#include <cmath>

namespace zum {

int TwipsToPixels(int twips, const QWidget* widget) {
    const double dpi = widget != nullptr ? widget->logicalDpiX() : 96.0;
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget) {
    return {TwipsToPixels(left, widget), TwipsToPixels(top, widget), TwipsToPixels(width, widget),
            TwipsToPixels(height, widget)};
}

} // namespace zum
