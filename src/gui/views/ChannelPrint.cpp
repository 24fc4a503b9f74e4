#include "gui/views/ChannelPrint.h"

#include "gui/app/MessageBox.h"
#include "gui/lang/LangUi.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

namespace orvik {

namespace {

constexpr int kMarginChars = 4;
constexpr const char* kMeasureLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Left-aligned from the top, no wrapping, clipped to the rectangle.
void drawClippedText(QPainter& painter, const QRect& rect, const QString& text) {
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, text);
    painter.restore();
}

// A sibling file name for writing before the target is replaced.
QString temporaryPdfTemplate(const QString& target) {
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".XXXXXX.pdf");
}

} // namespace

QFont ChannelPrintFont(int height) {
    // A pixel size is the em height in the units of the painter's coordinate system, the same
    // as a negative font height in the classic mapping modes: while measuring, device pixels of
    // the printer; while printing, logical units of the page mapping.
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(height);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

ChannelPrinter::ChannelPrinter(LangCatalog& texts) : catalog(texts) {}
ChannelPrinter::~ChannelPrinter() = default;

QPrinter& ChannelPrinter::printer() {
    if (!sessionPrinter)
        sessionPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *sessionPrinter;
}

bool ChannelPrinter::OnPreparePrinting(QWidget* parent, bool useDefault) {
    // Every job is one page: a page holds more rows than the table has.
    QPrinter& target = printer();
    target.setPrintRange(QPrinter::AllPages);
    target.setFromTo(0, 0);
    leftMarginChars = kMarginChars;
    rightMarginChars = kMarginChars;
    if (useDefault)
        return true;
    QPrintDialog dialog(&target, parent);
    dialog.setMinMax(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

bool ChannelPrinter::OnBeginPrinting(const QPaintDevice& device, const RadioImage& image) {
    page = MakeChannelPage(image, catalog);
    const QFont measure = ChannelPrintFont(kMeasureFontHeight);
    const QFontMetrics metrics(measure, &device);
    charWidth = metrics.horizontalAdvance(QString::fromLatin1(kMeasureLetters)) / 52;
    pageWidthPixels = device.width();
    pageHeightPixels = device.height();
    logicalPageWidth = page->table.totalWidth() + (leftMarginChars + rightMarginChars) * charWidth;
    if (pageWidthPixels <= 0 || pageHeightPixels <= 0 || logicalPageWidth <= 0) {
        logicalPageHeight = 0;
        return false;
    }
    const qint64 scaled = qint64(logicalPageWidth) * pageHeightPixels;
    logicalPageHeight = int((scaled + pageWidthPixels / 2) / pageWidthPixels);
    return logicalPageHeight > 0;
}

void ChannelPrinter::OnPrint(QPainter& painter, const QDateTime& when) {
    if (!page)
        return;
    RenderChannelPage(painter, *page, when.isValid() ? when : QDateTime::currentDateTime());
}

void ChannelPrinter::OnEndPrinting() {
    printFont.reset();
    page.reset();
}

void ChannelPrinter::RenderChannelPage(QPainter& painter, const ChannelPage& content,
                                       const QDateTime& when) {
    if (logicalPageWidth <= 0 || logicalPageHeight <= 0 || pageWidthPixels <= 0 ||
        pageHeightPixels <= 0)
        return;

    painter.save();
    // A painter on a printer leaves the direction to the text; the page follows the application.
    if (painter.layoutDirection() == Qt::LayoutDirectionAuto)
        painter.setLayoutDirection(QGuiApplication::layoutDirection());
    printFont.emplace(ChannelPrintFont(kPrintFontHeight));
    painter.setFont(*printFont);
    painter.setPen(Qt::black);

    // The logical page fills the printable area at one scale; logical x = 0 lies one left
    // margin in from the edge. Moving the window origin up moves the drawing down.
    const int marginWidth = charWidth * leftMarginChars;
    painter.setViewport(0, 0, pageWidthPixels, pageHeightPixels);
    int originY = 0;
    auto setOrigin = [&](int y) {
        originY = y;
        painter.setWindow(-marginWidth, -originY, logicalPageWidth, logicalPageHeight);
    };
    setOrigin(0);

    const int lineHeight = kChannelHeaderHeight;
    const QRect line(0, 0, logicalPageWidth - (leftMarginChars + rightMarginChars) * charWidth,
                     lineHeight);

    drawClippedText(painter, line, FormatDateLine(when));
    setOrigin(originY + lineHeight);

    // Right to left the page is mirrored: each entry ends where it would begin, its text aligned
    // to the right, and the table stands at the right margin.
    const bool mirrored = painter.layoutDirection() == Qt::RightToLeft;
    for (const auto& entries : content.settings) {
        for (std::size_t column = 0; column < entries.size(); ++column) {
            if (entries[column].isEmpty())
                continue;
            const QRect place = mirrored ? line.adjusted(0, 0, -kEntryX[column], 0)
                                         : line.translated(kEntryX[column], 0);
            drawClippedText(painter, place, entries[column]);
        }
        setOrigin(originY + lineHeight);
    }
    if (mirrored)
        painter.translate(line.width() - content.table.totalWidth(), 0);

    PrintTableHeader(painter, content.table);

    // Used channels follow one another without gaps for the empty ones.
    int previousHeight = kChannelHeaderHeight;
    for (int n = 1; n <= ChannelCount; ++n) {
        if (!content.table.inUse(n))
            continue;
        setOrigin(originY + previousHeight);
        PrintTableRow(painter, content.table, n);
        previousHeight = kChannelRowHeight;
    }

    setOrigin(0);
    painter.restore();
}

QString ChannelPrinter::FormatDateLine(const QDateTime& when) {
    const QDate date = when.date();
    const QTime time = when.time();
    std::tm tm{};
    tm.tm_year = date.year() - 1900;
    tm.tm_mon = date.month() - 1;
    tm.tm_mday = date.day();
    tm.tm_wday = date.dayOfWeek() % 7;
    tm.tm_yday = date.dayOfYear() - 1;
    tm.tm_hour = time.hour();
    tm.tm_min = time.minute();
    tm.tm_sec = time.second();
    tm.tm_isdst = -1;
    char buffer[256];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %A %H:%M", &tm);
    return QString::fromLocal8Bit(buffer, qsizetype(length));
}

bool ChannelPrinter::RunJob(QPrinter& target, const RadioImage& image, const QDateTime& when) {
    if (!OnBeginPrinting(target, image)) {
        OnEndPrinting();
        return false;
    }
    QPainter painter;
    if (!painter.begin(&target)) {
        OnEndPrinting();
        return false;
    }
    OnPrint(painter, when);
    const bool ended = painter.end();
    OnEndPrinting();
    return ended;
}

bool ChannelPrinter::Print(QWidget* parent, bool direct, const RadioImage& image) {
    if (!OnPreparePrinting(parent, direct))
        return false;
    if (RunJob(printer(), image, QDateTime()))
        return true;
    const QString target =
        printer().printerName().isEmpty() ? printer().outputFileName() : printer().printerName();
    ShowMessageBox(parent, LangText(catalog, "IDS_ERROR_PRINT") + "\n" + target,
                   LangText(catalog, "IDS_ERROR"), MsgButtons::Ok, MsgIcon::Stop);
    return false;
}

void ChannelPrinter::Preview(QWidget* parent, const RadioImage& image) {
    if (!OnPreparePrinting(parent, true))
        return;
    QPrintPreviewDialog dialog(&printer(), parent);
    if (auto* view = dialog.findChild<QPrintPreviewWidget*>())
        view->setViewMode(QPrintPreviewWidget::SinglePageView);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this, &image](QPrinter* target) { RunJob(*target, image, QDateTime()); });
    dialog.exec();
}

void ChannelPrinter::Setup(QWidget* parent) {
    QPageSetupDialog dialog(&printer(), parent);
    dialog.exec();
}

bool ChannelPrinter::PrintToPdf(const QString& file, const RadioImage& image,
                                const QDateTime& when) {
    leftMarginChars = kMarginChars;
    rightMarginChars = kMarginChars;

    // Written beside the target and renamed over it, so a failed job leaves no partial file.
    QTemporaryFile temporary(temporaryPdfTemplate(file));
    if (!temporary.open())
        return false;
    temporary.setAutoRemove(false);
    const QString temporaryName = temporary.fileName();
    temporary.close();
    const QByteArray temporaryPath = QFile::encodeName(temporaryName);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(temporaryPath.constData(), 0666 & ~mask);

    bool ok = false;
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFileName(temporaryName);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        // A file has no unprintable border of its own; it gets one like a printer's.
        if (sessionPrinter)
            pdf.setPageLayout(sessionPrinter->pageLayout());
        else
            pdf.setPageMargins(QMarginsF(kPdfMargin, kPdfMargin, kPdfMargin, kPdfMargin),
                               QPageLayout::Millimeter);
        pdf.setDocName(QFileInfo(file).fileName());
        ok = RunJob(pdf, image, when);
    }
    ok = ok && QFileInfo(temporaryName).size() > 0 &&
         std::rename(temporaryPath.constData(), QFile::encodeName(file).constData()) == 0;
    if (!ok)
        QFile::remove(temporaryName);
    return ok;
}

} // namespace orvik
