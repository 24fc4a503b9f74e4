#include "PrintTestSupport.h"

#include "core/model/Codecs.h"
#include "core/model/DataFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QXmlStreamReader>

namespace orvik::test {

AppDir::AppDir(const QString& language) {
    if (!dir.isValid())
        return;
    const QDir shipped(ORVIK_SHIPPED_DATA_DIR);
    for (const char* name : {"english.lang", "chinese.lang"})
        if (!QFile::copy(shipped.filePath(name), dir.filePath(name)))
            return;
    QFile in(shipped.filePath("setting.ini"));
    if (!in.open(QIODevice::ReadOnly))
        return;
    QByteArray settings = in.readAll();
    settings.replace("language=english", "language=" + language.toUtf8());
    write("setting.ini", settings);
    ok = true;
}

std::string AppDir::stdPath() const {
    return QFile::encodeName(dir.path()).toStdString();
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

QStringList PdfLines(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(20000))
        return {};
    QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    for (QString& line : lines)
        line.remove(QChar('\f'));
    return lines;
}

std::vector<PdfWord> PdfWords(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(20000))
        return {};
    std::vector<PdfWord> words;
    QXmlStreamReader xml(p.readAllStandardOutput());
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

} // namespace orvik::test
