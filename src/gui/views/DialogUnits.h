#pragma once
// Dialog-unit geometry: the form is laid out in dialog units of its font, converted to pixels
// with that font's metrics (x: average character width / 4, y: height / 8, rounded).

#include <QFont>
#include <QRect>

namespace orvik {

class DialogUnits {
public:
    // Base units of a font: the average width of "A"-"Z" and "a"-"z" (rounded) and the height.
    explicit DialogUnits(const QFont& font);
    DialogUnits(int unitX, int unitY) : baseX(unitX), baseY(unitY) {}

    int x(int du) const { return scale(du, baseX, 4); }
    int y(int du) const { return scale(du, baseY, 8); }
    QRect rect(int x, int y, int width, int height) const;

    int averageCharWidth() const { return baseX; }
    int height() const { return baseY; }

private:
    // du * base / divisor, rounded half away from zero.
    static int scale(int du, int base, int divisor);

    int baseX;
    int baseY;
};

} // namespace orvik
