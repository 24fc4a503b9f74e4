// The print commands around the page: direct print, the print dialog, preview, PDF files
// replaced whole, and `orvik --print-pdf` end to end.

#include "PrintTestSupport.h"

#include "core/model/Codecs.h"
#include "core/model/DataFile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace orvik::test {
namespace {

// Runs `action` on the first top-level dialog of type D once the event loop is running.
template <typename D> void OnDialog(std::function<void(D*)> action) {
    QTimer::singleShot(0, [action] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<D*>(w))
                return action(dialog);
    });
}

using PrintCommandTest = PrintFixture;

TEST_F(PrintCommandTest, DirectPrintUsesTheSessionPrinter) {
    start([](RadioImage& image) { UseChannel(image, 2, "431.00000"); });
    printer.printer().setOutputFormat(QPrinter::PdfFormat);
    printer.printer().setOutputFileName(dir->filePath("direct.pdf"));
    EXPECT_TRUE(printer.Print(nullptr, true, printed));
    EXPECT_TRUE(LineWith(PdfLines(dir->filePath("direct.pdf")), "431.00000").startsWith("2 "));
    EXPECT_TRUE(messages.empty());

    // A printer that cannot start is reported, not passed off as printed.
    printer.printer().setOutputFileName(dir->filePath("missing/direct.pdf"));
    EXPECT_FALSE(printer.Print(nullptr, true, printed));
    EXPECT_EQ(messages.size(), 1u);

    // Cancelling the print dialog ends the job before anything is measured or drawn.
    printer.printer().setOutputFileName(dir->filePath("cancelled.pdf"));
    printer.charWidth = -1;
    OnDialog<QPrintDialog>([](QPrintDialog* d) { d->reject(); });
    EXPECT_FALSE(printer.Print(nullptr, false, printed));
    EXPECT_EQ(printer.charWidth, -1);
    EXPECT_FALSE(QFileInfo::exists(dir->filePath("cancelled.pdf")));
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(PrintCommandTest, PreviewDrawsOnePage) {
    start();
    int pages = -1;
    OnDialog<QPrintPreviewDialog>([&](QPrintPreviewDialog* d) {
        pages = d->findChild<QPrintPreviewWidget*>()->pageCount();
        d->reject();
    });
    printer.Preview(nullptr, printed);
    EXPECT_EQ(pages, 1);
    // The table's width and four characters of margin on each side.
    EXPECT_EQ(printer.logicalPageWidth,
              MakeChannelTable(printed, texts).totalWidth() + 8 * printer.charWidth);
}

TEST_F(PrintCommandTest, PdfIsReplacedWholeOrNotAtAll) {
    start();
    const QString pdf = dir->filePath("page.pdf");
    dir->write("page.pdf", QByteArray(100000, 'x'));
    printPage();
    QFile result(pdf);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_TRUE(result.read(5) == "%PDF-");
    EXPECT_TRUE(PdfLines(pdf).join('\n').contains("2012-03-05 Monday 14:07"));

    const QStringList before = QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden);
    EXPECT_FALSE(printer.PrintToPdf(dir->filePath("missing/page.pdf"), printed, kPrintTime));
    ASSERT_TRUE(QDir(dir->path()).mkdir("taken"));
    EXPECT_FALSE(printer.PrintToPdf(dir->filePath("taken"), printed, kPrintTime));
    EXPECT_TRUE(QFileInfo(dir->filePath("taken")).isDir());
    EXPECT_EQ(QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden),
              before + QStringList{"taken"});
}

struct CliRun {
    int exitCode = -1;
    QString stdErr;
};

// Runs the built orvik; its per-user settings go to `configDir` (a scratch folder when empty).
CliRun RunPrintPdf(const QStringList& args, const QString& configDir = QString()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    env.insert("LC_ALL", "C");
    QTemporaryDir config;
    env.insert("XDG_CONFIG_HOME", configDir.isEmpty() ? config.path() : configDir);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORVIK_BUILD_DIR "/orvik"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(OrvikPrintPdf, PrintsTheDataFileWithoutADisplay) {
    AppDir dir;
    ASSERT_TRUE(WriteDataFile(dir.filePath("in.735"), [](RadioImage& image) {
        UseChannel(image, 5, "460.02500");
        // Settings the window keeps in controls it never shows.
        image.setSideKey2(3);
        image.setFmRadioFreq(11);
        image.setDtmfDigits(TextToDtmf("12A"));
    }));
    const QString pdf = dir.filePath("out.pdf");
    QTemporaryDir config;
    const CliRun run = RunPrintPdf(
        {"--app-dir", dir.path(), "--print-pdf", pdf, dir.filePath("in.735")}, config.path());
    ASSERT_EQ(run.exitCode, 0) << run.stdErr.toStdString();
    // Printing from the command line leaves the recent-file list alone.
    QFile settings(config.filePath("orvik/orvik.conf"));
    EXPECT_TRUE(!settings.open(QIODevice::ReadOnly) || !settings.readAll().contains("in.735"));
    const QStringList lines = PdfLines(pdf);
    const QRegularExpressionMatch date =
        QRegularExpression(R"(^(\d{4}-\d{2}-\d{2}) (\w+) \d{2}:\d{2}$)")
            .match(lines.value(0).trimmed());
    ASSERT_TRUE(date.hasMatch()) << lines.value(0).toStdString();
    // The weekday belongs to the printed date.
    const QDate printed = QDate::fromString(date.captured(1), Qt::ISODate);
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(date.captured(2),
              ChannelPrinter::FormatDateLine(QDateTime(printed, QTime(0, 0))).section(' ', 1, 1));
    EXPECT_TRUE(LineWith(lines, "460.02500").startsWith("5 460.02500"));
    EXPECT_TRUE(LineWith(lines, "DTMF Code").contains("DTMF Code : 12A"));
    EXPECT_TRUE(LineWith(lines, "Side Key 2").contains("Side Key 2 : Alarm"));
    EXPECT_TRUE(LineWith(lines, "FM Frequency").startsWith("FM Frequency : 88M1"));
}

TEST(OrvikPrintPdf, WarnsAsTheWindowDoesAndPrints) {
    // A short file and a language file that cannot be read: both said on stderr, in the order
    // the window says them, and the page printed in English.
    AppDir dir(QStringLiteral("klingon"));
    ASSERT_TRUE(WriteDataFile(dir.filePath("full.735"),
                              [](RadioImage& image) { UseChannel(image, 1, "430.12500"); }));
    dir.write("short.735", dir.read("full.735").left(1000));
    const QString pdf = dir.filePath("out.pdf");
    const CliRun run =
        RunPrintPdf({"--app-dir", dir.path(), "--print-pdf", pdf, dir.filePath("short.735")});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr.toStdString();
    LangCatalog english(QFile::encodeName(dir.filePath("english.lang")).toStdString(), "");
    const QString caption = "orvik: " + QString::fromStdString(english.text("IDS_WINDOWNAME"));
    const QString shortFile =
        caption + ": " +
        QString::fromStdString(ShortFileWarning(english.text("IDS_WARN_SHORT_FILE"), 1000)) + "\n" +
        dir.filePath("short.735") + "\n";
    const QString language = caption + ": " +
                             QString::fromStdString(english.text("IDS_WARN_LANG_FILE")) + "\n" +
                             dir.filePath("klingon.lang") + "\n";
    EXPECT_TRUE(run.stdErr.contains(shortFile + language)) << run.stdErr.toStdString();
    EXPECT_TRUE(LineWith(PdfLines(pdf), "430.12500").startsWith("1 430.12500"));
}

// A right-to-left language prints the page mirrored: the table at the right margin with the CH
// column rightmost, each line of settings beginning at the right; a frequency reads as written.
TEST(OrvikPrintPdf, RightToLeftLanguagePrintsTheMirroredPage) {
    AppDir dir(QStringLiteral("hebrew"));
    QByteArray hebrew = dir.read("english.lang");
    hebrew.replace("disp=English", "disp=\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA");
    dir.write("hebrew.lang", hebrew);
    ASSERT_TRUE(WriteDataFile(dir.filePath("in.735"),
                              [](RadioImage& image) { UseChannel(image, 5, "460.02500"); }));
    const QString pdf = dir.filePath("out.pdf");
    const CliRun run =
        RunPrintPdf({"--app-dir", dir.path(), "--print-pdf", pdf, dir.filePath("in.735")});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr.toStdString();
    const std::vector<PdfWord> words = PdfWords(pdf);
    const PdfWord* ch = FindWord(words, "CH");
    const PdfWord* frequency = FindWord(words, "460.02500");
    const PdfWord* beep = FindWord(words, "Beep");
    const PdfWord* squelch = FindWord(words, "Squelch");
    ASSERT_TRUE(ch && frequency && beep && squelch);
    EXPECT_GT(ch->xMin, frequency->xMax);
    EXPECT_GT(beep->xMin, squelch->xMax);
}

TEST(OrvikPrintPdf, FailuresHaveTheirOwnExitStatus) {
    AppDir dir;
    ASSERT_TRUE(WriteDataFile(dir.filePath("good.735")));
    dir.write("foreign.735", QByteArray(4144, 'Z'));
    QTemporaryDir noSettings;
    const struct {
        const char* what;
        QString appDir, pdf, data;
        int status;
    } cases[] = {
        {"header rejected", dir.path(), dir.filePath("a.pdf"), dir.filePath("foreign.735"), 65},
        {"unreadable", dir.path(), dir.filePath("b.pdf"), dir.filePath("missing.735"), 66},
        {"pdf not writable", dir.path(), dir.filePath("no/such/dir/c.pdf"),
         dir.filePath("good.735"), 73},
        {"no setting.ini", noSettings.path(), dir.filePath("d.pdf"), dir.filePath("good.735"), 78},
    };
    for (const auto& c : cases) {
        const CliRun run = RunPrintPdf({"--app-dir", c.appDir, "--print-pdf", c.pdf, c.data});
        EXPECT_EQ(run.exitCode, c.status) << c.what << ": " << run.stdErr.toStdString();
        EXPECT_FALSE(run.stdErr.trimmed().isEmpty()) << c.what;
        EXPECT_FALSE(QFileInfo::exists(c.pdf)) << c.what;
    }
    EXPECT_TRUE(QDir(dir.path()).entryList({".*.pdf"}, QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
} // namespace orvik::test
