#pragma once
// The attributes of a grid cell as its users see them: state bits, text format, colours, the
// item descriptor that sets or reads several of them at once, and the notification record.

#include <QColor>
#include <QFont>
#include <QMetaType>
#include <QRect>
#include <QString>

namespace orvik {

class CGridCtrl;

// Cell state bits.
namespace GridState {
inline constexpr unsigned Focused = 0x1;
inline constexpr unsigned Selected = 0x2;
inline constexpr unsigned ReadOnly = 0x8;
} // namespace GridState

// Mask bits of GridItem: which attributes a SetItem call copies.
namespace GridMask {
inline constexpr unsigned Text = 0x01;
inline constexpr unsigned State = 0x08;
inline constexpr unsigned BkColour = 0x10;
inline constexpr unsigned TextColour = 0x20;
inline constexpr unsigned Format = 0x40;
inline constexpr unsigned Font = 0x80;
inline constexpr unsigned All = Text | State | BkColour | TextColour | Format | Font;
} // namespace GridMask

// Text format bits of a cell (the classic text-drawing flags).
namespace GridFormat {
inline constexpr unsigned Left = 0x0000;
inline constexpr unsigned Center = 0x0001;
inline constexpr unsigned Right = 0x0002;
inline constexpr unsigned VCenter = 0x0004;
inline constexpr unsigned Bottom = 0x0008;
inline constexpr unsigned SingleLine = 0x0020;
inline constexpr unsigned ExpandTabs = 0x0040;
inline constexpr unsigned EndEllipsis = 0x8000;
} // namespace GridFormat

// Colour values are 0x00BBGGRR; this one means "use the grid's default colour".
inline constexpr quint32 kGridDefaultColour = 0xFF000000u;

// Conversions between 0x00BBGGRR values and QColor (alpha dropped).
quint32 colourRefFromColor(const QColor& c);
QColor colorFromColourRef(quint32 ref);

// Qt flags (alignment and text flags) for a cell's text format.
int textFlagsFromFormat(unsigned format);

// The attributes of one cell, used to set or read several of them at once.
struct GridItem {
    int row = 0;
    int col = 0;
    unsigned mask = 0;
    unsigned state = 0;
    unsigned format = 0;
    QString text;
    quint32 bkColour = kGridDefaultColour;
    quint32 textColour = kGridDefaultColour;
    QFont font;
};

// The record every notification carries: who sent it, the code, the cell's complete
// item descriptor and its rectangle in global (screen) coordinates.
struct GridNotify {
    CGridCtrl* grid = nullptr;
    int controlId = 0;
    int code = 0;
    GridItem item;
    QRect rect;
};

// Notification codes.
inline constexpr int kGridBeginEdit = -105;
inline constexpr int kGridFocusLeaving = -104;
inline constexpr int kGridFocusArrived = -103;

} // namespace orvik

Q_DECLARE_METATYPE(orvik::GridNotify)
