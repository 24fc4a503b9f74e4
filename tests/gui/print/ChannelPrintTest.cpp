// The page of an image: metrics, date line, settings block and channel rows, read back from the
// PDF.

#include "PrintTestSupport.h"

#include "core/model/Codecs.h"
#include "gui/views/ChannelPrint.h"

#include <QFontMetrics>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>

#include <clocale>
#include <cmath>

namespace orvik::test {
namespace {

TEST(ChannelPrintDateLine, FullWeekdayBetweenDateAndTime) {
    std::setlocale(LC_TIME, "C");
    const struct {
        QDateTime when;
        const char* text;
    } cases[] = {
        {QDateTime(QDate(2012, 3, 5), QTime(14, 7)), "2012-03-05 Monday 14:07"},
        {QDateTime(QDate(2024, 2, 29), QTime(0, 0)), "2024-02-29 Thursday 00:00"},
        {QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), "1999-12-31 Friday 23:59"},
        {QDateTime(QDate(2023, 1, 1), QTime(9, 5)), "2023-01-01 Sunday 09:05"},
        {QDateTime(QDate(2025, 6, 14), QTime(12, 30)), "2025-06-14 Saturday 12:30"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChannelPrinter::FormatDateLine(c.when).toStdString(), c.text);
}

using ChannelPrintTest = PrintFixture;

TEST_F(ChannelPrintTest, MetricsFollowThePrintableArea) {
    start();
    printer.OnPreparePrinting(nullptr, true);
    EXPECT_EQ(printer.leftMarginChars, 4);
    EXPECT_EQ(printer.rightMarginChars, 4);
    // The table's width: the column widths, 790 at the least, wider where a bold heading needs it.
    const int tableWidth = MakeChannelTable(printed, texts).totalWidth();
    EXPECT_GE(tableWidth, 790);
    const QSize sizes[] = {{1000, 1414}, {2480, 3508}, {9600, 13200}, {777, 333}, {3, 5000}};
    for (const QSize& size : sizes) {
        QImage device(size, QImage::Format_RGB32);
        ASSERT_TRUE(printer.OnBeginPrinting(device, printed));
        const QFontMetrics fm(ChannelPrintFont(ChannelPrinter::kMeasureFontHeight), &device);
        EXPECT_EQ(printer.charWidth,
                  fm.horizontalAdvance("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") /
                      52);
        EXPECT_EQ(printer.pageWidthPixels, size.width());
        EXPECT_EQ(printer.pageHeightPixels, size.height());
        // The table's width and four characters of margin on each side.
        EXPECT_EQ(printer.logicalPageWidth, tableWidth + 8 * printer.charWidth);
        EXPECT_EQ(printer.logicalPageHeight,
                  std::lround(double(printer.logicalPageWidth) * size.height() / size.width()))
            << size.width() << "x" << size.height();
        printer.OnEndPrinting();
    }
    // The measuring font's height is in device pixels: a 1200 dpi printer measures as a 96 dpi
    // device does, within rounding.
    const int onScreen = printer.charWidth;
    QPrinter high(QPrinter::HighResolution);
    high.setOutputFormat(QPrinter::PdfFormat);
    ASSERT_TRUE(printer.OnBeginPrinting(high, printed));
    EXPECT_NEAR(printer.charWidth, onScreen, 1);
    EXPECT_GE(printer.charWidth, 3);

    QImage none;
    EXPECT_FALSE(printer.OnBeginPrinting(none, printed));
    EXPECT_EQ(printer.logicalPageHeight, 0);
}

TEST_F(ChannelPrintTest, SettingsBlockShowsTheControlsTexts) {
    start([](RadioImage& image) {
        image.setBeep(1);
        image.setBatterySave(0);
        image.setVoxFunction(1);
        image.setVoiceFunction(0);
        image.setScanFunction(0);
        image.setFmRadioFunction(1);
        image.setSquelchLevel(3);
        image.setSideKey1(1);
        image.setSideKey2(3);
        image.setTimeOutTimer(2);
        image.setVoiceAnnunciation(1);
        image.setVoxLevel(2);
        image.setFmRadioFreq(11);
        image.setDtmfDigits(TextToDtmf("12A"));
    });
    const QStringList lines = PdfLines(printPage());
    const QRegularExpression expected[] = {
        QRegularExpression(R"(^2012-03-05 Monday 14:07$)"),
        QRegularExpression(R"(^Beep : Yes DTMF Code : 12A Squelch Level : 3$)"),
        QRegularExpression(R"(^Side Key 1 : Scan Side Key 2 : Alarm Scan Function : No$)"),
        QRegularExpression(R"(^Voice Prompt : English Time-out \[s\] : 60 Battery Save : No$)"),
        QRegularExpression(R"(^FM Frequency : 88M1 VOX Level : 3 FM Radio : Yes$)"),
        QRegularExpression(R"(^Voice Function : No VOX : Yes$)"),
    };
    int at = 0;
    for (const QRegularExpression& re : expected) {
        while (at < lines.size() && lines[at].trimmed().isEmpty())
            ++at;
        ASSERT_LT(at, lines.size()) << re.pattern().toStdString();
        EXPECT_TRUE(re.match(lines[at].simplified()).hasMatch())
            << re.pattern().toStdString() << " vs \"" << lines[at].toStdString() << "\"";
        ++at;
    }
    // Band and scan mode are not printed.
    EXPECT_TRUE(LineWith(lines, "Band :").isEmpty());
    EXPECT_TRUE(LineWith(lines, "Scan Mode").isEmpty());
}

TEST_F(ChannelPrintTest, EntriesSitOnTheirLinesAndColumns) {
    start();
    const auto words = PdfWords(printPage());
    const double s = scale();
    const PdfWord* date = FindWord(words, "2012-03-05");
    const PdfWord* beep = FindWord(words, "Beep");
    const PdfWord* dtmf = FindWord(words, "DTMF");
    const PdfWord* squelch = FindWord(words, "Squelch");
    const PdfWord* side = FindWord(words, "Side");
    const PdfWord* voiceFn = FindWord(words, "Voice", side ? side->yMax + 40 * s : 0);
    ASSERT_TRUE(date && beep && dtmf && squelch && side && voiceFn);
    // x = 0, 300, 600 of one line; lines 28 units apart, the date line first.
    EXPECT_NEAR(dtmf->xMin - beep->xMin, 300 * s, 0.6);
    EXPECT_NEAR(squelch->xMin - beep->xMin, 600 * s, 0.6);
    EXPECT_NEAR(date->xMin, beep->xMin, 0.6);
    EXPECT_NEAR(beep->yMin - date->yMin, 28 * s, 0.6);
    EXPECT_NEAR(side->yMin - beep->yMin, 28 * s, 0.6);
    EXPECT_NEAR(voiceFn->yMin - beep->yMin, 4 * 28 * s, 0.6);
    // Logical x = 0 lies four average characters in from the printable area's edge.
    const double printableLeft = ChannelPrinter::kPdfMargin * 72 / 25.4;
    EXPECT_NEAR(beep->xMin - printableLeft, 4 * printer.charWidth * s, 1.0);
    EXPECT_NEAR(date->yMin, printableLeft, 1.0);
}

TEST_F(ChannelPrintTest, WithoutChannelsOnlyTheHeaderRowIsPrinted) {
    start();
    const QStringList lines = PdfLines(printPage());
    int header = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains("RX Freq (MHz)"))
            header = i;
    ASSERT_GE(header, 0);
    EXPECT_TRUE(lines[header].simplified().startsWith("CH RX Freq (MHz) RX CTCSS/DCS"));
    for (int i = header + 1; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].trimmed().isEmpty()) << lines[i].toStdString();
}

TEST_F(ChannelPrintTest, UsedChannelsFollowTheHeaderWithoutGaps) {
    start([](RadioImage& image) {
        UseChannel(image, 7, "445.00000");
        UseChannel(image, 3, "430.12500");
    });
    const QString pdf = printPage();
    QStringList table;
    for (const QString& line : PdfLines(pdf))
        if ((!table.isEmpty() || line.contains("RX Freq (MHz)")) && !line.trimmed().isEmpty())
            table << line.simplified();
    ASSERT_EQ(table.size(), 3);
    EXPECT_TRUE(table[1].startsWith("3 430.12500")) << table[1].toStdString();
    EXPECT_TRUE(table[2].startsWith("7 445.00000")) << table[2].toStdString();

    // Header row after the date line and five settings lines; row 3 right below the 28-unit
    // header, row 7 right below the 21-unit row 3. Texts are centred in their rows.
    const auto words = PdfWords(pdf);
    const double s = scale();
    const PdfWord* date = FindWord(words, "2012-03-05");
    const PdfWord* header = FindWord(words, "CH");
    const PdfWord* first = FindWord(words, "430.12500");
    const PdfWord* second = FindWord(words, "445.00000");
    ASSERT_TRUE(date && header && first && second);
    EXPECT_NEAR(header->yCentre() - date->yMin, (6 * 28 + 14) * s, 2.0);
    EXPECT_NEAR(first->yCentre() - header->yCentre(), (14 + 10.5) * s, 0.8);
    EXPECT_NEAR(second->yCentre() - first->yCentre(), 21 * s, 0.8);
}

TEST_F(ChannelPrintTest, CheckBoxesShowTheLanguagesYesAndNo) {
    const struct {
        const char* language;
        QString beepOn, batteryOff;
    } cases[] = {
        {"english", "Beep : Yes", "Battery Save : No"},
        {"chinese", QString::fromUtf8("哔音 : 是"), QString::fromUtf8("电池省电 : 否")},
    };
    for (const auto& c : cases) {
        dir = std::make_unique<AppDir>(c.language);
        start([](RadioImage& image) {
            image.setBeep(1);
            image.setBatterySave(0);
        });
        const QString page = PdfLines(printPage()).join('\n');
        EXPECT_TRUE(page.contains(c.beepOn)) << c.language << "\n" << page.toStdString();
        EXPECT_TRUE(page.contains(c.batteryOff)) << c.language;
    }
}

TEST_F(ChannelPrintTest, EmptyListSelectionPrintsAnEmptyValue) {
    // A voice list of one entry cannot show the stored position 1.
    QByteArray lang = dir->read("english.lang");
    lang.replace("1=English\n", "");
    dir->write("english.lang", lang);
    start([](RadioImage& image) { image.setVoiceAnnunciation(1); });
    const QString line = LineWith(PdfLines(printPage()), "Voice Prompt");
    EXPECT_TRUE(QRegularExpression(R"(^Voice Prompt : Time-out \[s\] : )").match(line).hasMatch())
        << line.toStdString();
}

} // namespace
} // namespace orvik::test
