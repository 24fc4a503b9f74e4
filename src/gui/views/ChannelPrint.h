#pragma once
// Printing of the channel table: one page with the date line, the settings block and the channel
// table, made from an image and the language texts (never from the window's controls). Print,
// preview and PDF output share one rendering function. The object lives as long as the view and
// keeps the session's printer, so print setup applies to every later print.

#include "gui/views/ChannelPage.h"

#include <QDateTime>
#include <QFont>
#include <QString>

#include <memory>
#include <optional>

class QPainter;
class QPaintDevice;
class QPrinter;
class QWidget;

namespace orvik {

class LangCatalog;

class ChannelPrinter {
public:
    // The page's texts and the print error come from `catalog`.
    explicit ChannelPrinter(LangCatalog& catalog);
    ~ChannelPrinter();
    ChannelPrinter(const ChannelPrinter&) = delete;
    ChannelPrinter& operator=(const ChannelPrinter&) = delete;

    // Each command prints the page of `image`, which must stay alive until it returns.
    // File Print (direct: on the session's printer without asking). False when cancelled or
    // when the printer could not be started (the latter is reported in a message box).
    bool Print(QWidget* parent, bool direct, const RadioImage& image);
    // File Print Preview.
    void Preview(QWidget* parent, const RadioImage& image);
    // File Print Setup: page settings of the session's printer.
    void Setup(QWidget* parent);
    // Prints the page into a PDF file, replacing it only when the page was written completely.
    // `when` is the time shown in the date line (now when invalid). False when not written.
    bool PrintToPdf(const QString& file, const RadioImage& image,
                    const QDateTime& when = QDateTime());

    // The session's printer, created on first use.
    QPrinter& printer();

    // ---- the four print hooks
    // Sets the page count and the margins; asks for the printer unless `useDefault`. False
    // cancels the job.
    bool OnPreparePrinting(QWidget* parent, bool useDefault);
    // Makes the page of `image` and measures the metrics on the device. False when the device
    // has no printable area.
    bool OnBeginPrinting(const QPaintDevice& device, const RadioImage& image);
    // Draws the page made by OnBeginPrinting.
    void OnPrint(QPainter& painter, const QDateTime& when);
    void OnEndPrinting();

    // Draws `page` with the metrics in place (the shared rendering of print, preview and PDF);
    // the painter's window, viewport and font are restored afterwards.
    void RenderChannelPage(QPainter& painter, const ChannelPage& page, const QDateTime& when);

    // "%Y-%m-%d %A %H:%M" in the process's current time locale (strftime).
    static QString FormatDateLine(const QDateTime& when);

    // Print metrics, measured by OnBeginPrinting (margins by OnPreparePrinting).
    int charWidth = 0;
    int pageWidthPixels = 0;
    int pageHeightPixels = 0;
    int logicalPageWidth = 0;
    int logicalPageHeight = 0;
    int leftMarginChars = 0;
    int rightMarginChars = 0;

    // Character heights, in device units while measuring and logical units while printing.
    static constexpr int kMeasureFontHeight = 9;
    static constexpr int kPrintFontHeight = 11;
    // Settings block columns, in logical units.
    static constexpr int kEntryX[3] = {0, 300, 600};
    // Border of a PDF page, in millimetres, unless print setup chose the page.
    static constexpr double kPdfMargin = 10.0;

private:
    LangCatalog& catalog;
    // Begin, page, end on a printer that is ready.
    bool RunJob(QPrinter& target, const RadioImage& image, const QDateTime& when);

    std::unique_ptr<QPrinter> sessionPrinter;
    // The page of the job under way, from begin to end printing.
    std::optional<ChannelPage> page;
    std::optional<QFont> printFont;
};

// A "Times New Roman" font of normal weight whose character height (em size) is `height` units
// of the coordinate system it is drawn in.
QFont ChannelPrintFont(int height);

} // namespace orvik
