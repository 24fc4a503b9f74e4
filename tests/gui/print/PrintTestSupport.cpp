#include "PrintTestSupport.h"

#include "core/model/Codecs.h"
#include "core/model/DataFile.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QXmlStreamReader>

#include <clocale>

namespace orvik::test {

AppDir::AppDir(const QString& language) {
    if (!dir.isValid())
        return;
    const QDir shipped(ORVIK_SHIPPED_DATA_DIR);
    for (const char* name : {"english.lang", "chinese.lang"})
        if (!QFile::copy(shipped.filePath(name), dir.filePath(name)))
            return;
    // A language that is not shipped stays without a file.
    const QString chosen = language + ".lang";
    if (!QFile::exists(dir.filePath(chosen)))
        QFile::copy(shipped.filePath(chosen), dir.filePath(chosen));
    QFile in(shipped.filePath("setting.ini"));
    if (!in.open(QIODevice::ReadOnly))
        return;
    QByteArray settings = in.readAll();
    settings.replace("language=english", "language=" + language.toUtf8());
    write("setting.ini", settings);
    ok = true;
}

void AppDir::write(const QString& name, const QByteArray& bytes) const {
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray AppDir::read(const QString& name) const {
    QFile f(dir.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteDataFile(const QString& path, const std::function<void(RadioImage&)>& edit) {
    RadioImage image = MakeDefaultImage();
    if (edit)
        edit(image);
    return SaveDataFile(QFile::encodeName(path).toStdString(), NewHeaderBlock(), image, nullptr);
}

void UseChannel(RadioImage& image, int n, const char* freqText) {
    image.setRxFreq(n, TextToFreq(freqText));
    image.setTxFreq(n, TextToFreq(freqText));
    image.setRxTone(n, ToneOff);
    image.setTxTone(n, ToneOff);
    image.setDefaultChannelFlags(n);
}

namespace {
QByteArray RunPdfToText(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args);
    if (!p.waitForFinished(20000))
        return {};
    return p.readAllStandardOutput();
}
} // namespace

QStringList PdfLines(const QString& pdf) {
    QStringList lines = QString::fromUtf8(RunPdfToText({"-layout", pdf, "-"})).split('\n');
    for (QString& line : lines)
        line.remove(QChar('\f'));
    return lines;
}

QString LineWith(const QStringList& lines, const QString& needle) {
    for (const QString& line : lines)
        if (line.contains(needle))
            return line.simplified();
    return QString();
}

std::vector<PdfWord> PdfWords(const QString& pdf) {
    std::vector<PdfWord> words;
    QXmlStreamReader xml(RunPdfToText({"-bbox", pdf, "-"}));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("word"))
            continue;
        PdfWord w;
        const auto attrs = xml.attributes();
        w.xMin = attrs.value("xMin").toDouble();
        w.yMin = attrs.value("yMin").toDouble();
        w.xMax = attrs.value("xMax").toDouble();
        w.yMax = attrs.value("yMax").toDouble();
        w.text = xml.readElementText();
        words.push_back(w);
    }
    return words;
}

const PdfWord* FindWord(const std::vector<PdfWord>& words, const QString& text, double minY) {
    for (const PdfWord& w : words)
        if (w.text == text && w.yMin >= minY)
            return &w;
    return nullptr;
}

void PrintFixture::SetUp() {
    ASSERT_TRUE(dir->valid());
    std::setlocale(LC_TIME, "C");
    SetMessageBoxHook([this](const MessageRecord& m) {
        messages.push_back(m);
        return int(MsgOk);
    });
}

void PrintFixture::TearDown() {
    SetMessageBoxHook({});
}

void PrintFixture::start(const std::function<void(RadioImage&)>& edit) {
    printed = MakeDefaultImage();
    if (edit)
        edit(printed);
    COrvikApp app(QFile::encodeName(dir->path()).toStdString());
    ASSERT_TRUE(app.InitInstance());
    texts.setFiles(app.catalog().languageFile(), app.catalog().fallbackFile());
}

QString PrintFixture::printPage(const QString& name) {
    const QString pdf = dir->filePath(name);
    EXPECT_TRUE(printer.PrintToPdf(pdf, printed, kPrintTime));
    return pdf;
}

double PrintFixture::scale() const {
    return double(printer.pageWidthPixels) / printer.logicalPageWidth * 72.0 /
           QPrinter(QPrinter::HighResolution).resolution();
}

} // namespace orvik::test
