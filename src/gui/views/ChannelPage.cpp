#include "gui/views/ChannelPage.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/model/Codecs.h"
#include "core/model/SettingsTable.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/ResourceIds.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace orvik {

namespace {

// The table's cells: centred on one line, as the form's table sets them.
constexpr unsigned kCellFormat = GridFormat::Center | GridFormat::VCenter | GridFormat::SingleLine;
// Room beside a cell's text, and what a heading needs beyond its text: the text margin on both
// sides and the grid lines.
constexpr int kTextMargin = 3;
constexpr int kHeadingExtra = 2 * kTextMargin + 2;

// One entry of the settings block: a setting of the settings table, or the DTMF code.
struct BlockEntry {
    enum Kind { None, Setting, Dtmf } kind = None;
    SettingId setting = SettingId::Beep;
};
constexpr BlockEntry kNone{};
constexpr BlockEntry kDtmf{BlockEntry::Dtmf};
constexpr BlockEntry entry(SettingId id) {
    return {BlockEntry::Setting, id};
}

// Five lines of entries at x = 0, 300 and 600. The band and the scan mode are not printed.
constexpr BlockEntry kBlock[5][3] = {
    {entry(SettingId::Beep), kDtmf, entry(SettingId::SquelchLevel)},
    {entry(SettingId::SideKey1), entry(SettingId::SideKey2), entry(SettingId::ScanFunction)},
    {entry(SettingId::VoiceAnnunciation), entry(SettingId::TimeOutTimer),
     entry(SettingId::BatterySave)},
    {entry(SettingId::FmRadioFreq), entry(SettingId::VoxLevel), entry(SettingId::FmRadioFunction)},
    {entry(SettingId::VoiceFunction), kNone, entry(SettingId::VoxFunction)},
};

// The texts the form's captions are created with, kept where no language file names them.
struct BuiltInCaption {
    int id;
    const char* text;
};
constexpr BuiltInCaption kBuiltInCaptions[] = {
    {ids::IDC_BEEP, "哔音"},
    {ids::IDC_DTMF_LABEL, "DTMF编码"},
    {ids::IDC_SQUELCH_LABEL, "静噪等级"},
    {ids::IDC_SIDEKEY1_LABEL, "侧键1"},
    {ids::IDC_SIDEKEY2_LABEL, "侧键2"},
    {ids::IDC_SCAN_FUNCTION, "扫描功能"},
    {ids::IDC_VOICE_LABEL, "语音播报"},
    {ids::IDC_TOT_LABEL, "发射限时[秒]"},
    {ids::IDC_BATTERY_SAVE, "电池省电"},
    {ids::IDC_FMFREQ_LABEL, "收音机频率"},
    {ids::IDC_VOXLEVEL_LABEL, "声控电平"},
    {ids::IDC_FM_FUNCTION, "收音机功能"},
    {ids::IDC_VOICE_FUNCTION, "语音功能"},
    {ids::IDC_VOX_FUNCTION, "声控功能"},
};

// A caption as the form's control shows it: its resource text, else the text it was created
// with.
QString captionText(LangCatalog& catalog, int id) {
    const std::string text = catalog.resource(id);
    if (!text.empty())
        return QString::fromStdString(text);
    for (const BuiltInCaption& c : kBuiltInCaptions)
        if (c.id == id)
            return QString::fromUtf8(c.text);
    return QString();
}

// The grid's colours on paper: the system colours it starts from.
struct CellColours {
    QColor text, background, line, fixedText, fixedBackground, greyText;
};

CellColours tableColours() {
    const QPalette palette = QApplication::palette();
    const auto colour = [&](QPalette::ColorRole role) {
        return palette.color(QPalette::Active, role);
    };
    return {colour(QPalette::Text),   colour(QPalette::Base),
            colour(QPalette::Dark),   colour(QPalette::WindowText),
            colour(QPalette::Button), colorFromColourRef(CGridCtrl::SystemGreyTextColour())};
}

// One cell: its background, the grid lines on its last pixel row and column, its text centred
// within the text margins.
void drawCell(QPainter& p, const QRect& rect, const QString& text, bool fixed, bool readOnly,
              const QFont& font, const CellColours& colours) {
    p.fillRect(rect, fixed ? colours.fixedBackground : colours.background);
    p.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colours.line);
    p.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), colours.line);
    if (text.isEmpty())
        return;
    p.setFont(font);
    p.setPen(fixed ? colours.fixedText : readOnly ? colours.greyText : colours.text);
    p.drawText(rect.adjusted(kTextMargin, 0, -kTextMargin - 1, -1),
               textFlagsFromFormat(kCellFormat), text);
}

// A row of cells at height y with its outer left edge; column 0 and the header row are fixed.
// Right to left (the painter's direction) column 0 is the rightmost and the columns run left.
void drawRow(QPainter& p, const ChannelTable& table, const ChannelTable::Row& row, bool header,
             int y, int height) {
    const CellColours colours = tableColours();
    // Paper units follow the screen's pixels, so the font is sized in them too.
    QFont font = table.font;
    font.setPixelSize(std::max(1, QFontInfo(table.font).pixelSize()));
    const bool mirrored = p.layoutDirection() == Qt::RightToLeft;
    const int total = table.totalWidth();
    int x = 0;
    for (int c = 0; c < ChannelColumnCount; ++c) {
        const int width = table.columnWidths[std::size_t(c)];
        drawCell(p, QRect(mirrored ? total - x - width : x, y, width, height),
                 row.cells[std::size_t(c)], header || c == 0, row.readOnly[std::size_t(c)], font,
                 colours);
        x += width;
    }
    if (x > 0 && height > 0)
        p.fillRect(QRect(0, y, 1, height), colours.line);
}

} // namespace

int ChannelTable::totalWidth() const {
    int total = 0;
    for (int w : columnWidths)
        total += w;
    return total;
}

int ChannelHeadingWidth(const QFont& font, const QString& heading) {
    QFont bold = font;
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(heading) + kHeadingExtra;
}

ChannelTable MakeChannelTable(const RadioImage& image, LangCatalog& catalog) {
    // The form's table has the application's font.
    return MakeChannelTable(image, catalog, QApplication::font());
}

ChannelTable MakeChannelTable(const RadioImage& image, LangCatalog& catalog, const QFont& font) {
    ChannelTable table;
    table.font = font;

    // A missing heading repeats the one to its left.
    QString heading;
    for (int c = 0; c < ChannelColumnCount; ++c) {
        std::string text;
        if (catalog.columnHeader(c, text))
            heading = QString::fromStdString(text);
        table.header[std::size_t(c)] = heading;
        // The focus cell's heading is drawn bold on the form, so no heading is ever cut.
        table.columnWidths[std::size_t(c)] =
            std::max(kChannelColumnWidths[std::size_t(c)], ChannelHeadingWidth(font, heading));
    }

    const CellTexts texts = LoadCellTexts(catalog);
    for (int n = 1; n <= ChannelCount; ++n) {
        ChannelTable::Row& row = table.rows[std::size_t(n - 1)];
        for (int c = 0; c < ChannelColumnCount; ++c) {
            row.cells[std::size_t(c)] = QString::fromStdString(channelCellText(image, n, c, texts));
            row.readOnly[std::size_t(c)] = c != ColChannel && isCellReadOnly(image, n, c);
        }
    }
    return table;
}

SettingsBlock MakeSettingsBlock(const RadioImage& image, LangCatalog& catalog) {
    const SettingTexts texts = SettingTexts::Load(catalog);
    SettingsBlock block;
    for (std::size_t line = 0; line < 5; ++line) {
        for (std::size_t column = 0; column < 3; ++column) {
            const BlockEntry& e = kBlock[line][column];
            if (e.kind == BlockEntry::None)
                continue;
            QString caption;
            QString value;
            if (e.kind == BlockEntry::Dtmf) {
                caption = captionText(catalog, ids::IDC_DTMF_LABEL);
                value = QString::fromStdString(DtmfToText(image.dtmfDigits()));
            } else {
                const SettingSpec& spec = Setting(e.setting);
                caption = captionText(catalog, spec.captionId);
                value = QString::fromStdString(SettingValueText(spec, image, texts));
            }
            block[line][column] = caption + QStringLiteral(" : ") + value;
        }
    }
    return block;
}

ChannelPage MakeChannelPage(const RadioImage& image, LangCatalog& catalog) {
    return {MakeSettingsBlock(image, catalog), MakeChannelTable(image, catalog)};
}

void PrintTableHeader(QPainter& painter, const ChannelTable& table) {
    painter.save();
    ChannelTable::Row header;
    header.cells = table.header;
    drawRow(painter, table, header, true, 0, kChannelHeaderHeight);
    if (table.totalWidth() > 0)
        painter.fillRect(QRect(0, 0, table.totalWidth(), 1), tableColours().line);
    painter.restore();
}

void PrintTableRow(QPainter& painter, const ChannelTable& table, int n) {
    if (n < 1 || n > ChannelCount)
        return;
    painter.save();
    drawRow(painter, table, table.channel(n), false, 0, kChannelRowHeight);
    painter.restore();
}

} // namespace orvik
