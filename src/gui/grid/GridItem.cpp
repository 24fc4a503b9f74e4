#include "gui/grid/GridItem.h"

namespace orvik {

quint32 colourRefFromColor(const QColor& c) {
    const QColor rgb = c.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

QColor colorFromColourRef(quint32 ref) {
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

int textFlagsFromFormat(unsigned format) {
    int flags = 0;
    if (format & GridFormat::Center)
        flags |= Qt::AlignHCenter;
    else if (format & GridFormat::Right)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (format & GridFormat::VCenter)
        flags |= Qt::AlignVCenter;
    else if (format & GridFormat::Bottom)
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & GridFormat::SingleLine)
        flags |= Qt::TextSingleLine;
    if (format & GridFormat::ExpandTabs)
        flags |= Qt::TextExpandTabs;
    return flags;
}

} // namespace orvik
