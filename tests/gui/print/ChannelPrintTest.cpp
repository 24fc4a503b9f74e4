// The page as the printer draws it, from a form built here: metrics, date line, settings block
// and channel rows, read back from a PDF.

#include "PrintTestSupport.h"

#include "gui/app/COrvikApp.h"
#include "gui/app/MessageBox.h"
#include "gui/app/ResourceIds.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/views/ChannelPrint.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTimer>

#include <clocale>
#include <cmath>
#include <map>

#include <gtest/gtest.h>

namespace orvik::test {
namespace {

const QDateTime kWhen(QDate(2012, 3, 5), QTime(14, 7));

QString LineWith(const QStringList& lines, const QString& needle) {
    for (const QString& line : lines)
        if (line.contains(needle))
            return line.simplified();
    return QString();
}

// The settings controls and the channel grid, tagged and sized as the form view has them.
class TestForm {
public:
    TestForm() {
        for (const auto& [id, text] :
             std::map<int, QString>{{ids::IDC_SQUELCH_LABEL, "Squelch Level"},
                                    {ids::IDC_SIDEKEY1_LABEL, "Side Key 1"},
                                    {ids::IDC_TOT_LABEL, "Time-out [s]"},
                                    {ids::IDC_VOICE_LABEL, "Voice Prompt"},
                                    {ids::IDC_VOXLEVEL_LABEL, "VOX Level"},
                                    {ids::IDC_SIDEKEY2_LABEL, "Side Key 2"},
                                    {ids::IDC_FMFREQ_LABEL, "FM Frequency"},
                                    {ids::IDC_DTMF_LABEL, "DTMF Code"}}) {
            auto* label = new QLabel(text, &form);
            SetControlId(label, id);
        }
        for (const auto& [id, text] :
             std::map<int, QString>{{ids::IDC_BEEP, "Beep"},
                                    {ids::IDC_BATTERY_SAVE, "Battery Save"},
                                    {ids::IDC_VOX_FUNCTION, "VOX"},
                                    {ids::IDC_VOICE_FUNCTION, "Voice Function"},
                                    {ids::IDC_SCAN_FUNCTION, "Scan Function"},
                                    {ids::IDC_FM_FUNCTION, "FM Radio"}}) {
            auto* box = new QCheckBox(text, &form);
            SetControlId(box, id);
            checks[id] = box;
        }
        for (int id :
             {ids::IDC_SQUELCH_LIST, ids::IDC_SIDEKEY1_LIST, ids::IDC_TOT_LIST, ids::IDC_VOICE_LIST,
              ids::IDC_VOXLEVEL_LIST, ids::IDC_SIDEKEY2_LIST, ids::IDC_FMFREQ_LIST}) {
            auto* list = new QComboBox(&form);
            SetControlId(list, id);
            lists[id] = list;
        }
        dtmf = new QLineEdit(&form);
        SetControlId(dtmf, ids::IDC_DTMF_EDIT);

        grid = new CGridCtrl(17, 10, 1, 1, &form);
        SetControlId(grid, ids::IDC_GRID);
        const QStringList headers{"CH",   "RXFreq", "RXTone", "TXFreq", "TXTone",
                                  "Scan", "Band",   "Power",  "BCL",    "Scr"};
        for (int c = 0; c < 10; ++c) {
            grid->SetColumnWidth(c, c == 0 ? 40 : c <= 4 ? 100 : 70);
            grid->SetItemText(0, c, headers[c]);
        }
        grid->SetRowHeight(0, 28);
        for (int r = 1; r <= 16; ++r) {
            grid->SetRowHeight(r, 21);
            grid->SetItemText(r, 0, QString::number(r));
        }
        // Centred on one line, as the channel table stores its cells.
        for (int r = 0; r <= 16; ++r)
            for (int c = 0; c < 10; ++c)
                grid->SetItemFormat(r, c, 0x25);
    }

    void setList(int id, const QStringList& entries, int selected) {
        lists[id]->clear();
        lists[id]->addItems(entries);
        lists[id]->setCurrentIndex(selected);
    }
    void useChannel(int n, const QString& freq) {
        grid->SetItemText(n, 1, freq);
        grid->SetItemText(n, 3, freq);
    }

    QWidget form;
    CGridCtrl* grid = nullptr;
    QLineEdit* dtmf = nullptr;
    std::map<int, QCheckBox*> checks;
    std::map<int, QComboBox*> lists;
};

class ChannelPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(appDir.valid());
        app.paths().ChooseLanguage("C");
        std::setlocale(LC_TIME, "C");
        printer.SetSources(&page.form, page.grid);
    }

    QString printPage() {
        const QString pdf = out.filePath("page.pdf");
        EXPECT_TRUE(printer.PrintToPdf(pdf, kWhen));
        return pdf;
    }
    // Points per logical unit on the PDF page.
    double scale() const {
        return double(printer.pageWidthPixels) / printer.logicalPageWidth * 72.0 /
               QPrinter(QPrinter::HighResolution).resolution();
    }

    AppDir appDir;
    COrvikApp app{appDir.stdPath()};
    TestForm page;
    ChannelPrinter printer;
    QTemporaryDir out;
};

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

TEST_F(ChannelPrintTest, MetricsFollowThePrintableArea) {
    printer.OnPreparePrinting(nullptr, true);
    EXPECT_EQ(printer.leftMarginChars, 4);
    EXPECT_EQ(printer.rightMarginChars, 4);
    const QSize sizes[] = {{1000, 1414}, {2480, 3508}, {9600, 13200}, {777, 333}, {3, 5000}};
    for (const QSize& size : sizes) {
        QImage device(size, QImage::Format_RGB32);
        ASSERT_TRUE(printer.OnBeginPrinting(device));
        const QFontMetrics fm(ChannelPrintFont(ChannelPrinter::kMeasureFontHeight), &device);
        EXPECT_EQ(printer.charWidth,
                  fm.horizontalAdvance("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") /
                      52);
        EXPECT_GT(printer.charWidth, 0);
        EXPECT_EQ(printer.pageWidthPixels, size.width());
        EXPECT_EQ(printer.pageHeightPixels, size.height());
        EXPECT_EQ(printer.logicalPageWidth, 790 + 8 * printer.charWidth);
        EXPECT_EQ(printer.logicalPageHeight,
                  std::lround(double(printer.logicalPageWidth) * size.height() / size.width()))
            << size.width() << "x" << size.height();
        printer.OnEndPrinting();
    }
}

TEST_F(ChannelPrintTest, CharacterWidthIsMeasuredInDevicePixels) {
    // The measuring font's height is device pixels on any printer, so a 1200 dpi printer and a
    // 96 dpi device give the same width within rounding.
    QImage screen(1000, 1000, QImage::Format_RGB32);
    printer.OnBeginPrinting(screen);
    const int onScreen = printer.charWidth;
    QPrinter high(QPrinter::HighResolution);
    high.setOutputFormat(QPrinter::PdfFormat);
    printer.OnBeginPrinting(high);
    EXPECT_NEAR(printer.charWidth, onScreen, 1);
    EXPECT_GE(printer.charWidth, 3);
    EXPECT_LE(printer.charWidth, 6);
}

TEST_F(ChannelPrintTest, NoPrintableAreaDrawsNothing) {
    QImage none;
    EXPECT_FALSE(printer.OnBeginPrinting(none));
    EXPECT_EQ(printer.logicalPageHeight, 0);
}

TEST_F(ChannelPrintTest, SettingsBlockShowsTheControlsTexts) {
    page.setList(ids::IDC_SQUELCH_LIST, {"0", "1", "2", "3"}, 3);
    page.setList(ids::IDC_SIDEKEY1_LIST, {"Monitor", "Scan"}, 1);
    page.setList(ids::IDC_SIDEKEY2_LIST, {"Monitor", "Scan"}, -1);
    page.setList(ids::IDC_TOT_LIST, {"Off", "30", "60"}, 2);
    page.setList(ids::IDC_VOICE_LIST, {"Silent", "Chinese"}, 0);
    page.setList(ids::IDC_VOXLEVEL_LIST, {"1", "2", "3"}, 2);
    page.setList(ids::IDC_FMFREQ_LIST, {"87M0", "87M1"}, 1);
    page.dtmf->setText("12A");
    // The check-box members decide, not the boxes' own state.
    std::map<int, int> members{{ids::IDC_BEEP, 1},          {ids::IDC_BATTERY_SAVE, 0},
                               {ids::IDC_VOX_FUNCTION, 1},  {ids::IDC_VOICE_FUNCTION, 0},
                               {ids::IDC_SCAN_FUNCTION, 0}, {ids::IDC_FM_FUNCTION, 1}};
    for (auto& [id, box] : page.checks)
        box->setChecked(!members[id]);
    printer.SetSources(&page.form, page.grid, [&](int id) { return members.at(id); });

    const QStringList lines = PdfLines(printPage());
    const QString text = lines.join('\n');
    const QRegularExpression expected[] = {
        QRegularExpression(R"(^2012-03-05 Monday 14:07\s*$)"),
        QRegularExpression(R"(Beep : Yes\s+DTMF Code : 12A\s+Squelch Level : 3\s*$)"),
        QRegularExpression(R"(Side Key 1 : Scan\s+Side Key 2 :\s+Scan Function : No\s*$)"),
        QRegularExpression(
            R"(Voice Prompt : Silent\s+Time-out \[s\] : 60\s+Battery Save : No\s*$)"),
        QRegularExpression(R"(FM Frequency : 87M1\s+VOX Level : 3\s+FM Radio : Yes\s*$)"),
        QRegularExpression(R"(Voice Function : No\s+VOX : Yes\s*$)"),
    };
    int at = 0;
    for (const QRegularExpression& re : expected) {
        while (at < lines.size() && lines[at].trimmed().isEmpty())
            ++at;
        ASSERT_LT(at, lines.size()) << re.pattern().toStdString() << "\n" << text.toStdString();
        EXPECT_TRUE(re.match(lines[at].trimmed()).hasMatch())
            << re.pattern().toStdString() << " vs \"" << lines[at].toStdString() << "\"";
        ++at;
    }
}

TEST_F(ChannelPrintTest, EntriesSitOnTheirLinesAndColumns) {
    page.dtmf->setText("1");
    page.setList(ids::IDC_SIDEKEY1_LIST, {"Monitor"}, 0);
    const auto words = PdfWords(printPage());
    const double s = scale();
    const PdfWord* date = FindWord(words, "2012-03-05");
    const PdfWord* beep = FindWord(words, "Beep");
    const PdfWord* dtmf = FindWord(words, "DTMF");
    const PdfWord* squelch = FindWord(words, "Squelch");
    const PdfWord* side = FindWord(words, "Side");
    const PdfWord* voiceFn = FindWord(words, "Function", side ? side->yMax + 40 * s : 0);
    ASSERT_TRUE(date && beep && dtmf && squelch && side && voiceFn);
    // x = 0, 300, 600 of one line; lines 28 units apart, the date line first.
    EXPECT_NEAR(dtmf->xMin - beep->xMin, 300 * s, 0.6);
    EXPECT_NEAR(squelch->xMin - beep->xMin, 600 * s, 0.6);
    EXPECT_NEAR(date->xMin, beep->xMin, 0.6);
    EXPECT_NEAR(beep->yMin - date->yMin, 28 * s, 0.6);
    EXPECT_NEAR(side->yMin - beep->yMin, 28 * s, 0.6);
    EXPECT_NEAR(voiceFn->yMin - beep->yMin, 4 * 28 * s, 0.6);
    // Logical x = 0 lies four average characters in from the printable area's edge.
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    const double printableLeft = pdf.pageLayout().paintRectPoints().left();
    EXPECT_NEAR(beep->xMin - printableLeft, 4 * printer.charWidth * s, 1.0);
}

TEST_F(ChannelPrintTest, UsedChannelsFollowTheHeaderWithoutGaps) {
    page.useChannel(3, "430.12500");
    page.useChannel(7, "445.00000");
    const QString pdf = printPage();
    const auto words = PdfWords(pdf);
    const double s = scale();
    const PdfWord* header = FindWord(words, "RXFreq");
    const PdfWord* first = FindWord(words, "430.12500");
    const PdfWord* second = FindWord(words, "445.00000");
    const PdfWord* date = FindWord(words, "2012-03-05");
    ASSERT_TRUE(header && first && second && date);
    // Header row after the date line and five settings lines; row 3 right below the 28-unit
    // header, row 7 right below row 3. Texts are centred in their rows.
    EXPECT_NEAR(header->yCentre() - date->yMin, (6 * 28 + 14) * s, 2.0);
    EXPECT_NEAR(first->yCentre() - header->yCentre(), (14 + 10.5) * s, 0.8);
    EXPECT_NEAR(second->yCentre() - first->yCentre(), 21 * s, 0.8);

    QStringList rows;
    for (const QString& line : PdfLines(pdf))
        if (line.contains("RXFreq") || line.contains("430.12500") || line.contains("445.00000"))
            rows << line.simplified();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].startsWith("CH RXFreq"));
    EXPECT_TRUE(rows[1].startsWith("3 430.12500"));
    EXPECT_TRUE(rows[2].startsWith("7 445.00000"));
    // No other channel number row is printed.
    for (int n : {1, 2, 4, 5, 6, 8, 16})
        EXPECT_EQ(FindWord(words, QString::number(n), header->yMax), nullptr) << n;
}

TEST_F(ChannelPrintTest, WithoutChannelsOnlyTheHeaderRowIsPrinted) {
    const QStringList lines = PdfLines(printPage());
    int header = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains("RXFreq"))
            header = i;
    ASSERT_GE(header, 0);
    EXPECT_TRUE(lines[header].simplified().startsWith("CH RXFreq RXTone TXFreq TXTone Scan"));
    for (int i = header + 1; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].trimmed().isEmpty()) << lines[i].toStdString();
}

TEST_F(ChannelPrintTest, UnwritablePdfLeavesNothingBehind) {
    EXPECT_FALSE(printer.PrintToPdf(out.filePath("missing/page.pdf"), kWhen));
    ASSERT_TRUE(QDir(out.path()).mkdir("taken"));
    EXPECT_FALSE(printer.PrintToPdf(out.filePath("taken"), kWhen));
    EXPECT_TRUE(QFileInfo(out.filePath("taken")).isDir());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"taken"});
}

TEST_F(ChannelPrintTest, ExistingPdfIsReplacedWhole) {
    const QString pdf = out.filePath("page.pdf");
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    ASSERT_TRUE(printer.PrintToPdf(pdf, kWhen));
    QFile result(pdf);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_TRUE(result.read(5) == "%PDF-");
    EXPECT_TRUE(PdfLines(pdf).join('\n').contains("2012-03-05 Monday 14:07"));
}

TEST_F(ChannelPrintTest, DirectPrintUsesTheSessionPrinter) {
    std::vector<MessageRecord> shown;
    SetMessageBoxHook([&](const MessageRecord& m) {
        shown.push_back(m);
        return int(MsgOk);
    });
    page.useChannel(2, "431.00000");
    printer.printer().setOutputFormat(QPrinter::PdfFormat);
    printer.printer().setOutputFileName(out.filePath("direct.pdf"));
    EXPECT_TRUE(printer.Print(nullptr, true));
    EXPECT_TRUE(LineWith(PdfLines(out.filePath("direct.pdf")), "431.00000").startsWith("2 "));
    EXPECT_TRUE(shown.empty());

    // A printer that cannot start is reported, not passed off as printed.
    printer.printer().setOutputFileName(out.filePath("missing/direct.pdf"));
    EXPECT_FALSE(printer.Print(nullptr, true));
    EXPECT_EQ(shown.size(), 1u);

    // Cancelling the print dialog ends the job before anything is measured or drawn.
    printer.printer().setOutputFileName(out.filePath("cancelled.pdf"));
    printer.charWidth = -1;
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QPrintDialog*>(w))
                dialog->reject();
    });
    EXPECT_FALSE(printer.Print(nullptr, false));
    EXPECT_EQ(printer.charWidth, -1);
    EXPECT_FALSE(QFileInfo::exists(out.filePath("cancelled.pdf")));
    EXPECT_EQ(shown.size(), 1u);
    SetMessageBoxHook({});
}

TEST_F(ChannelPrintTest, PreviewDrawsThePageOnce) {
    page.useChannel(4, "433.00000");
    int pages = -1;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(w)) {
                pages = dialog->findChild<QPrintPreviewWidget*>()->pageCount();
                dialog->reject();
            }
    });
    printer.Preview(nullptr);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(printer.logicalPageWidth, 790 + 8 * printer.charWidth);
}

} // namespace
} // namespace orvik::test
