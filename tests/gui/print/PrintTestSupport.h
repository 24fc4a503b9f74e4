#pragma once
// The page of an image of chosen contents, in the language of a copy of the shipped data,
// printed to a PDF and read back with pdftotext.

#include "core/lang/LangCatalog.h"
#include "core/model/RadioImage.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/MessageBox.h"
#include "gui/views/ChannelPrint.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace orvik::test {

// A program directory: setting.ini with the given language, english.lang, chinese.lang and the
// given language's file when one is shipped.
class AppDir {
public:
    explicit AppDir(const QString& language = QStringLiteral("english"));
    bool valid() const { return ok; }
    QString path() const { return dir.path(); }
    QString filePath(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir;
    bool ok = false;
};

// The default image of File New, changed by `edit`, saved as a data file.
bool WriteDataFile(const QString& path, const std::function<void(RadioImage&)>& edit = {});
// An in-band receive and transmit frequency in channel n, tones off.
void UseChannel(RadioImage& image, int n, const char* freqText);

// pdftotext -layout: the page's lines.
QStringList PdfLines(const QString& pdf);
// The first line holding `needle`, simplified; empty when there is none.
QString LineWith(const QStringList& lines, const QString& needle);

// One word of the page, in points from the top-left corner.
struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    double yCentre() const { return (yMin + yMax) / 2; }
};
std::vector<PdfWord> PdfWords(const QString& pdf);
// The first word equal to `text` at or below `minY`; null when there is none.
const PdfWord* FindWord(const std::vector<PdfWord>& words, const QString& text, double minY = -1e9);

inline const QDateTime kPrintTime(QDate(2012, 3, 5), QTime(14, 7));

class PrintFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The default image changed by `edit`, in the language the program starts with in `dir`.
    void start(const std::function<void(RadioImage&)>& edit = {});
    // Prints the page of the image at kPrintTime to `name` in the program directory.
    QString printPage(const QString& name = QStringLiteral("page.pdf"));
    // Points of the PDF page per logical unit of the last job.
    double scale() const;

    std::unique_ptr<AppDir> dir = std::make_unique<AppDir>();
    RadioImage printed;
    // The printer's texts: the program's language, set by start().
    LangCatalog texts;
    ChannelPrinter printer{texts};
    std::vector<MessageRecord> messages;
};

} // namespace orvik::test
