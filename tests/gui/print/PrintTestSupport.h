#pragma once
// A program directory in a temporary folder (a copy of the shipped data), data files with chosen
// channels, and the text and word boxes of a printed PDF as pdftotext reads them.

#include "core/model/RadioImage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace orvik::test {

class AppDir {
public:
    // language: the setup/language value of setting.ini.
    explicit AppDir(const QString& language = QStringLiteral("english"));
    bool valid() const { return ok; }
    QString path() const { return dir.path(); }
    QString filePath(const QString& name) const { return dir.filePath(name); }
    std::string stdPath() const;
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir;
    bool ok = false;
};

// The default image of File New, changed by `edit`, saved as a data file at `path`.
bool WriteDataFile(const QString& path, const std::function<void(RadioImage&)>& edit = {});
// Puts an in-band receive (and transmit) frequency into channel n.
void UseChannel(RadioImage& image, int n, const char* freqText);

// pdftotext -layout: the page's lines.
QStringList PdfLines(const QString& pdf);

// One word of the page, in points from the top-left corner.
struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    double yCentre() const { return (yMin + yMax) / 2; }
};
std::vector<PdfWord> PdfWords(const QString& pdf);
// The first word equal to `text` (at or after index `from`); null when there is none.
const PdfWord* FindWord(const std::vector<PdfWord>& words, const QString& text, double minY = -1e9);

} // namespace orvik::test
