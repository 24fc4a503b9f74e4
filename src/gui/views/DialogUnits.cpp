#include "gui/views/DialogUnits.h"

#include <QFontMetrics>

namespace orvik {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX = (letters / 26 + 1) / 2;
    baseY = fm.height();
}

int DialogUnits::scale(int du, int base, int divisor) {
    const long long product = static_cast<long long>(du) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor
                                         : -((-product + half) / divisor));
}

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    // Each edge is converted on its own, as the classic dialog mapping does.
    const int l = x(left), t = y(top);
    return QRect(l, t, x(left + width) - l, y(top + height) - t);
}

} // namespace orvik
