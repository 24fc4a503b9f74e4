// The page printed from an image and the language texts shows what the window shows for the same
// document: every caption and value of the settings panel (the hidden controls too) and the
// channel table's texts, widths and cells on paper; and the window's print commands print the
// document's page.

#include "PrintTestSupport.h"

#include "core/model/Codecs.h"
#include "core/model/DataFile.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CMainFrame.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/views/COrvikView.h"
#include "gui/views/ChannelPage.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>

namespace orvik::test {
namespace {

// The settings block as the form's controls show it: each entry's caption control and the
// control whose text is the value (0: the caption is a check box, printed as yes/no).
struct FormEntry {
    int captionId = 0;
    int valueId = 0;
};
constexpr FormEntry kFormBlock[5][3] = {
    {{ids::IDC_BEEP, 0},
     {ids::IDC_DTMF_LABEL, ids::IDC_DTMF_EDIT},
     {ids::IDC_SQUELCH_LABEL, ids::IDC_SQUELCH_LIST}},
    {{ids::IDC_SIDEKEY1_LABEL, ids::IDC_SIDEKEY1_LIST},
     {ids::IDC_SIDEKEY2_LABEL, ids::IDC_SIDEKEY2_LIST},
     {ids::IDC_SCAN_FUNCTION, 0}},
    {{ids::IDC_VOICE_LABEL, ids::IDC_VOICE_LIST},
     {ids::IDC_TOT_LABEL, ids::IDC_TOT_LIST},
     {ids::IDC_BATTERY_SAVE, 0}},
    {{ids::IDC_FMFREQ_LABEL, ids::IDC_FMFREQ_LIST},
     {ids::IDC_VOXLEVEL_LABEL, ids::IDC_VOXLEVEL_LIST},
     {ids::IDC_FM_FUNCTION, 0}},
    {{ids::IDC_VOICE_FUNCTION, 0}, {0, 0}, {ids::IDC_VOX_FUNCTION, 0}},
};

SettingsBlock FormSettingsBlock(COrvikView& view, LangCatalog& catalog) {
    SettingsBlock block;
    for (std::size_t line = 0; line < 5; ++line)
        for (std::size_t column = 0; column < 3; ++column) {
            const FormEntry& e = kFormBlock[line][column];
            if (e.captionId == 0)
                continue;
            const QString value =
                e.valueId != 0
                    ? view.controlText(e.valueId)
                    : LangText(catalog, view.checkValue(e.captionId) == 1 ? "IDS_YES" : "IDS_NO");
            block[line][column] = view.controlText(e.captionId) + " : " + value;
        }
    return block;
}

// The table's header and used rows drawn one below the other, through `header` and `row`.
QImage DrawTable(int width, const std::function<void(QPainter&)>& header,
                 const std::function<void(QPainter&, int)>& row, const std::vector<int>& rows) {
    QImage image(width + 10, kChannelHeaderHeight + ChannelCount * kChannelRowHeight + 10,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    header(painter);
    int y = kChannelHeaderHeight;
    for (int n : rows) {
        painter.save();
        painter.translate(0, y);
        row(painter, n);
        painter.restore();
        y += kChannelRowHeight;
    }
    return image;
}

class WindowPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxHook([](const MessageRecord&) { return int(MsgOk); });
    }
    void TearDown() override {
        frame.reset();
        app.reset();
        SetMessageBoxHook({});
    }

    // Opens a data file made by `edit` in the program's window, in `language`.
    void open(const QString& language, const std::function<void(RadioImage&)>& edit,
              const std::function<void(AppDir&)>& changeFiles = {}) {
        frame.reset();
        app.reset();
        dir = std::make_unique<AppDir>(language);
        ASSERT_TRUE(dir->valid());
        if (changeFiles)
            changeFiles(*dir);
        const QString data = dir->filePath("doc.735");
        ASSERT_TRUE(WriteDataFile(data, edit));
        app = std::make_unique<COrvikApp>(QFile::encodeName(dir->path()).toStdString());
        ASSERT_TRUE(app->InitInstance());
        frame = std::make_unique<CMainFrame>(*app);
        ASSERT_TRUE(frame->Start(data, false));
    }

    // The page from the document's image equals what the window's panel and table show.
    void expectPageEqualsWindow(const char* what) {
        COrvikView& view = *frame->view();
        const CGridCtrl& grid = *view.grid();
        const RadioImage& image = app->document()->image();
        LangCatalog& catalog = app->catalog();

        const SettingsBlock fromData = MakeSettingsBlock(image, catalog);
        const SettingsBlock fromForm = FormSettingsBlock(view, catalog);
        for (std::size_t line = 0; line < 5; ++line)
            for (std::size_t column = 0; column < 3; ++column)
                EXPECT_EQ(fromData[line][column].toStdString(),
                          fromForm[line][column].toStdString())
                    << what << ", line " << line + 1 << ", entry " << column + 1;

        const ChannelTable table = MakeChannelTable(image, catalog);
        EXPECT_EQ(table.totalWidth(), grid.GetTotalWidth()) << what;
        EXPECT_EQ(grid.GetRowHeight(0), kChannelHeaderHeight) << what;
        std::vector<int> used;
        for (int c = 0; c < ChannelColumnCount; ++c) {
            EXPECT_EQ(table.header[std::size_t(c)], grid.GetItemText(0, c)) << what << " " << c;
            EXPECT_EQ(table.columnWidths[std::size_t(c)], grid.GetColumnWidth(c)) << what;
        }
        for (int n = 1; n <= ChannelCount; ++n) {
            EXPECT_EQ(grid.GetRowHeight(n), kChannelRowHeight) << what;
            for (int c = 0; c < ChannelColumnCount; ++c) {
                EXPECT_EQ(table.channel(n).cells[std::size_t(c)], grid.GetItemText(n, c))
                    << what << ", channel " << n << ", column " << c;
                if (c != ColChannel) {
                    EXPECT_EQ(table.channel(n).readOnly[std::size_t(c)],
                              (grid.GetItemState(n, c) & GridState::ReadOnly) != 0)
                        << what << ", channel " << n << ", column " << c;
                }
            }
            if (table.inUse(n))
                used.push_back(n);
        }
        EXPECT_FALSE(used.empty()) << what;

        // On paper, cell by cell as the window's grid prints its rows.
        const QImage gridDrawn = DrawTable(
            grid.GetTotalWidth(), [&](QPainter& p) { view.grid()->PrintFixedRows(p); },
            [&](QPainter& p, int n) { view.grid()->PrintRow(p, n); }, used);
        const QImage dataDrawn = DrawTable(
            table.totalWidth(), [&](QPainter& p) { PrintTableHeader(p, table); },
            [&](QPainter& p, int n) { PrintTableRow(p, table, n); }, used);
        EXPECT_TRUE(gridDrawn == dataDrawn) << what;
    }

    std::unique_ptr<AppDir> dir;
    std::unique_ptr<COrvikApp> app;
    std::unique_ptr<CMainFrame> frame;
};

// Channels in use of every kind, the hidden settings away from their defaults.
void RichDocument(RadioImage& image) {
    UseChannel(image, 2, "430.12500");
    UseChannel(image, 5, "445.00000");
    image.setRxTone(5, TextToTone("67.0"));
    image.setTxTone(5, TextToTone("D023N"));
    image.setNarrow(5, 1);
    UseChannel(image, 9, "460.02500");
    image.setTxFreq(9, EmptyFreq); // its transmit tone cell cannot be edited
    image.setBeep(1);
    image.setBatterySave(0);
    image.setVoxFunction(1);
    image.setFmRadioFunction(1);
    image.setSquelchLevel(7);
    image.setSideKey1(2);
    image.setSideKey2(3);
    image.setTimeOutTimer(4);
    image.setVoiceAnnunciation(1);
    image.setVoxLevel(3);
    image.setFmRadioFreq(42);
    image.setDtmfDigits(TextToDtmf("9B07"));
}

TEST_F(WindowPrintTest, PageFromTheImageIsWhatTheWindowShows) {
    for (const char* language : {"german", "chinese", "japanese", "english"}) {
        open(language, RichDocument);
        expectPageEqualsWindow(language);
    }
}

TEST_F(WindowPrintTest, CaptionsAndListsMissingFromTheLanguageFiles) {
    // Side key 2's caption is in no language file (the form keeps the text it was created
    // with), a heading is missing (the one to its left repeats), and the side-key list is too
    // short for the stored position (an empty value).
    open("english", RichDocument, [](AppDir& files) {
        QByteArray lang = files.read("english.lang");
        lang.replace("\n1043=", "\n;1043=");
        lang.replace("\nIDS_ChText3=", "\n;IDS_ChText3=");
        lang.replace("\n3=Alarm\n", "\n");
        files.write("english.lang", lang);
    });
    EXPECT_EQ(frame->view()->controlText(ids::IDC_SIDEKEY2_LIST), "");
    expectPageEqualsWindow("files without some texts");
}

TEST_F(WindowPrintTest, WindowPrintsTheDocumentAsItIsNow) {
    open("german", RichDocument);
    // A setting changed in the panel after the file was opened.
    auto* squelch = qobject_cast<QComboBox*>(frame->view()->control(ids::IDC_SQUELCH_LIST));
    ASSERT_TRUE(squelch);
    squelch->setCurrentIndex(2);
    ASSERT_EQ(app->document()->image().squelchLevel(), 2);

    // The preview's page, drawn into a PDF file.
    const QString fromWindow = dir->filePath("window.pdf");
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(w)) {
                QPrinter pdf(QPrinter::HighResolution);
                pdf.setOutputFormat(QPrinter::PdfFormat);
                pdf.setOutputFileName(fromWindow);
                const double m = ChannelPrinter::kPdfMargin;
                pdf.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
                emit dialog->paintRequested(&pdf);
                dialog->reject();
            }
    });
    frame->view()->OnFilePrintPreview();

    LangCatalog texts(app->catalog().languageFile(), app->catalog().fallbackFile());
    ChannelPrinter printer(texts);
    const QString fromData = dir->filePath("data.pdf");
    ASSERT_TRUE(printer.PrintToPdf(fromData, app->document()->image(), kPrintTime));

    // The same page but for the date line.
    const auto textLines = [](const QString& pdf) {
        QStringList lines;
        for (const QString& line : PdfLines(pdf))
            if (!line.trimmed().isEmpty())
                lines << line.simplified();
        return lines.mid(1);
    };
    const QStringList window = textLines(fromWindow);
    EXPECT_EQ(window.join('\n').toStdString(), textLines(fromData).join('\n').toStdString());
    EXPECT_FALSE(LineWith(window, "Rauschsperre : 2").isEmpty()) << window.join('\n').toStdString();
    EXPECT_FALSE(LineWith(window, "Seitentaste 2 :").isEmpty());
}

} // namespace
} // namespace orvik::test
