// The page of the running program: the real form view, headless, on a copy of the shipped data;
// and `orvik --print-pdf` end to end.

#include "PrintTestSupport.h"

#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/frame/CMainFrame.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/views/COrvikView.h"
#include "gui/views/ChannelPrint.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <clocale>
#include <memory>

#include <gtest/gtest.h>

namespace orvik::test {
namespace {

const QDateTime kWhen(QDate(2012, 3, 5), QTime(14, 7));

// The line of the page that holds `needle`, simplified; empty when none does.
QString LineWith(const QStringList& lines, const QString& needle) {
    for (const QString& line : lines)
        if (line.contains(needle))
            return line.simplified();
    return QString();
}

class AppPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_TIME, "C");
        SetMessageBoxHook([this](const MessageRecord& m) {
            messages.push_back(m.text);
            return int(MsgOk);
        });
    }
    void TearDown() override {
        app.reset();
        SetMessageBoxHook({});
    }

    // Starts the program headless on a data file made by `edit` and prints its page.
    QStringList printDocument(const std::function<void(RadioImage&)>& edit,
                              std::vector<PdfWord>* words = nullptr) {
        const QString data = dir->filePath("doc.735");
        EXPECT_TRUE(WriteDataFile(data, edit));
        app = std::make_unique<COrvikApp>(dir->stdPath());
        EXPECT_TRUE(app->InitInstance(data, false));
        COrvikView* view = app->mainFrame()->view();
        ChannelPrinter printer;
        printer.SetSources(view->form(), view->grid(),
                           [view](int id) { return view->checkValue(id); });
        const QString pdf = dir->filePath("page.pdf");
        EXPECT_TRUE(printer.PrintToPdf(pdf, kWhen));
        if (words)
            *words = PdfWords(pdf);
        return PdfLines(pdf);
    }

    std::unique_ptr<AppDir> dir = std::make_unique<AppDir>();
    std::unique_ptr<COrvikApp> app;
    QStringList messages;
};

TEST_F(AppPrintTest, DocumentWithoutChannelsPrintsDateSettingsAndHeader) {
    const QStringList lines = printDocument({});
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first().trimmed(), "2012-03-05 Monday 14:07");
    // The defaults of a new document, from the controls.
    EXPECT_TRUE(LineWith(lines, "Squelch Level").contains("Squelch Level : "));
    EXPECT_TRUE(LineWith(lines, "Time-out").contains("Time-out [s] : "));
    EXPECT_FALSE(LineWith(lines, "FM Frequency").isEmpty());
    EXPECT_FALSE(LineWith(lines, "DTMF Code :").isEmpty());
    // Band and scan mode are not printed.
    EXPECT_TRUE(LineWith(lines, "Band :").isEmpty());
    EXPECT_TRUE(LineWith(lines, "Scan Mode").isEmpty());

    int header = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains("RX Freq (MHz)"))
            header = i;
    ASSERT_GE(header, 0);
    EXPECT_TRUE(lines[header].simplified().startsWith("CH RX Freq (MHz) RX CTCSS/DCS"));
    for (int i = header + 1; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].trimmed().isEmpty()) << lines[i].toStdString();
}

TEST_F(AppPrintTest, ChannelsThreeAndSevenDirectlyBelowTheHeader) {
    std::vector<PdfWord> words;
    const QStringList lines = printDocument(
        [](RadioImage& image) {
            UseChannel(image, 7, "445.00000");
            UseChannel(image, 3, "430.12500");
        },
        &words);
    QStringList table;
    bool inTable = false;
    for (const QString& line : lines) {
        inTable = inTable || line.contains("RX Freq (MHz)");
        if (inTable && !line.trimmed().isEmpty())
            table << line.simplified();
    }
    ASSERT_EQ(table.size(), 3) << lines.join('\n').toStdString();
    EXPECT_TRUE(table[1].startsWith("3 430.12500")) << table[1].toStdString();
    EXPECT_TRUE(table[2].startsWith("7 445.00000")) << table[2].toStdString();

    // Row 7 follows row 3 at one row height; row 3 follows the header at the half heights of
    // the 28-unit header and a 21-unit row.
    const PdfWord* header = FindWord(words, "CH");
    const PdfWord* first = FindWord(words, "430.12500");
    const PdfWord* second = FindWord(words, "445.00000");
    ASSERT_TRUE(header && first && second);
    const double rowStep = second->yCentre() - first->yCentre();
    EXPECT_GT(rowStep, 0);
    EXPECT_NEAR(first->yCentre() - header->yCentre(), rowStep * (14 + 10.5) / 21, 0.8);
}

TEST_F(AppPrintTest, CheckBoxesShowTheLanguagesYesAndNo) {
    const struct {
        const char* language;
        QString beepOn, batteryOff;
    } cases[] = {
        {"english", "Beep : Yes", "Battery Save : No"},
        {"chinese", QString::fromUtf8("哔音 : 是"), QString::fromUtf8("电池省电 : 否")},
    };
    for (const auto& c : cases) {
        app.reset();
        dir = std::make_unique<AppDir>(c.language);
        const QStringList lines = printDocument([](RadioImage& image) {
            image.setBeep(1);
            image.setBatterySave(0);
        });
        const QString page = lines.join('\n');
        EXPECT_TRUE(page.contains(c.beepOn)) << c.language << "\n" << page.toStdString();
        EXPECT_TRUE(page.contains(c.batteryOff)) << c.language;
    }
}

TEST_F(AppPrintTest, EmptyListSelectionPrintsAnEmptyValue) {
    // A voice list of one entry cannot show the stored position 1.
    QByteArray lang = dir->read("english.lang");
    lang.replace("1=English\n", "");
    dir->write("english.lang", lang);
    const QStringList lines =
        printDocument([](RadioImage& image) { image.setVoiceAnnunciation(1); });
    const QString line = LineWith(lines, "Voice Prompt");
    EXPECT_TRUE(QRegularExpression(R"(^Voice Prompt : Time-out \[s\] : )").match(line).hasMatch())
        << line.toStdString();
}

// ---- orvik --print-pdf

struct CliRun {
    int exitCode = -1;
    QString stdErr;
};

CliRun RunPrintPdf(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    env.insert("LC_ALL", "C");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    QTemporaryDir config;
    env.insert("XDG_CONFIG_HOME", config.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORVIK_BUILD_DIR "/orvik"), args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(OrvikPrintPdf, PrintsTheDataFileWithoutADisplay) {
    AppDir dir;
    ASSERT_TRUE(WriteDataFile(dir.filePath("in.735"),
                              [](RadioImage& image) { UseChannel(image, 5, "460.02500"); }));
    const QString pdf = dir.filePath("out.pdf");
    const CliRun run =
        RunPrintPdf({"--app-dir", dir.path(), "--print-pdf", pdf, dir.filePath("in.735")});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr.toStdString();
    const QStringList lines = PdfLines(pdf);
    const QRegularExpressionMatch date =
        QRegularExpression(R"(^(\d{4}-\d{2}-\d{2}) (\w+) \d{2}:\d{2}$)")
            .match(lines.value(0).trimmed());
    ASSERT_TRUE(date.hasMatch()) << lines.value(0).toStdString();
    const QDate printed = QDate::fromString(date.captured(1), Qt::ISODate);
    EXPECT_EQ(date.captured(2).toStdString(),
              ChannelPrinter::FormatDateLine(QDateTime(printed, QTime(0, 0)))
                  .section(' ', 1, 1)
                  .toStdString());
    EXPECT_TRUE(LineWith(lines, "460.02500").startsWith("5 460.02500"));
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
    // No temporary file is left beside the output.
    EXPECT_TRUE(QDir(dir.path()).entryList({".*.pdf"}, QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
} // namespace orvik::test
