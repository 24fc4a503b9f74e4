#pragma once
// The content of the channel-table page, made from an image and the language texts alone: the
// settings block and the channel table as the settings panel and the channel table of the form
// show them. Also the drawing of the table's rows on paper, cell by cell as the grid prints them.

#include "core/model/EditRules.h"
#include "core/model/RadioImage.h"

#include <QFont>
#include <QString>

#include <array>

class QPainter;

namespace orvik {

class LangCatalog;

// The channel table's geometry on the form: the base width of each column, the header row's
// and a channel row's height.
inline constexpr std::array<int, ChannelColumnCount> kChannelColumnWidths = {40, 100, 100, 100, 100,
                                                                             70, 70,  70,  70,  70};
inline constexpr int kChannelHeaderHeight = 28;
inline constexpr int kChannelRowHeight = 21;

// The header row and the 16 channel rows with the texts, widths and heights the form's table
// has for the same image and language.
struct ChannelTable {
    struct Row {
        std::array<QString, ChannelColumnCount> cells;
        // Cells the table greys out because they cannot be edited now.
        std::array<bool, ChannelColumnCount> readOnly{};
    };

    // Each column at least its base width, wider where its heading in bold needs it.
    std::array<int, ChannelColumnCount> columnWidths{};
    std::array<QString, ChannelColumnCount> header;
    std::array<Row, ChannelCount> rows; // channel n in rows[n - 1]
    // The cells' font (the table's font on the form).
    QFont font;

    int totalWidth() const;
    const Row& channel(int n) const { return rows[std::size_t(n - 1)]; }
    // A channel is printed when its receive frequency cell shows a text.
    bool inUse(int n) const { return !channel(n).cells[ColRxFreq].isEmpty(); }
};

// The settings block: five lines of up to three entries, each "caption : value"; an empty text
// where a line has no entry.
using SettingsBlock = std::array<std::array<QString, 3>, 5>;

// The width a column needs to show `heading` in bold (as the focus cell's column does), with
// the text margins and the grid lines.
int ChannelHeadingWidth(const QFont& font, const QString& heading);

// The table for `image`, in `font` (by default the font the form's table has).
ChannelTable MakeChannelTable(const RadioImage& image, LangCatalog& catalog);
ChannelTable MakeChannelTable(const RadioImage& image, LangCatalog& catalog, const QFont& font);

// The settings block for `image`: each caption as the form's control shows it, each value as
// the panel shows it (a check box: the yes/no text; a list: its entry, empty when the stored
// position has none; the DTMF code as text).
SettingsBlock MakeSettingsBlock(const RadioImage& image, LangCatalog& catalog);

// Everything the page shows below its date line.
struct ChannelPage {
    SettingsBlock settings;
    ChannelTable table;
};
ChannelPage MakeChannelPage(const RadioImage& image, LangCatalog& catalog);

// The header row, with the line along its top, drawn at the painter's origin.
void PrintTableHeader(QPainter& painter, const ChannelTable& table);
// Channel n's row drawn at the painter's origin.
void PrintTableRow(QPainter& painter, const ChannelTable& table, int n);

} // namespace orvik
