#include "gui/views/ChannelPrint.h"

#include "gui/app/MessageBox.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
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
constexpr int kLastChannelRow = 16;
constexpr const char* kMeasureLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// One entry of the settings block: the caption control and where the value comes from.
struct SettingsEntry {
    int captionId = 0; // 0: no entry
    int valueId = 0;   // control whose text is the value; 0 for a check box
};

// Five lines of entries at x = 0, 300 and 600. A check box is its own caption; its value is
// the yes/no text of its check-box member.
constexpr SettingsEntry kSettingsBlock[5][3] = {
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

const QWidget* findControl(const QWidget* form, int id) {
    if (!form)
        return nullptr;
    const QList<QWidget*> children = form->findChildren<QWidget*>();
    for (const QWidget* w : children)
        if (ControlId(w) == id)
            return w;
    return nullptr;
}

// The text a control shows: a list its selected entry (empty without a selection).
QString windowText(const QWidget* w) {
    if (!w)
        return QString();
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->currentIndex() < 0 ? QString() : combo->currentText();
    if (auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w))
        return group->title();
    return w->windowTitle();
}

int checkState(const QWidget* form, int id, const ChannelPrinter::CheckValueFn& checkValue) {
    if (checkValue)
        return checkValue(id);
    auto* button = qobject_cast<const QAbstractButton*>(findControl(form, id));
    return button && button->isChecked() ? 1 : 0;
}

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

void ChannelPrinter::SetSources(const QWidget* formWidget, CGridCtrl* gridCtrl,
                                CheckValueFn checkFn) {
    form = formWidget;
    grid = gridCtrl;
    checkValue = std::move(checkFn);
}

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

bool ChannelPrinter::OnBeginPrinting(const QPaintDevice& device) {
    const QFont measure = ChannelPrintFont(kMeasureFontHeight);
    const QFontMetrics metrics(measure, &device);
    charWidth = metrics.horizontalAdvance(QString::fromLatin1(kMeasureLetters)) / 52;
    pageWidthPixels = device.width();
    pageHeightPixels = device.height();
    const int tableWidth = grid ? grid->GetTotalWidth() : 0;
    logicalPageWidth = tableWidth + (leftMarginChars + rightMarginChars) * charWidth;
    if (pageWidthPixels <= 0 || pageHeightPixels <= 0 || logicalPageWidth <= 0) {
        logicalPageHeight = 0;
        return false;
    }
    const qint64 scaled = qint64(logicalPageWidth) * pageHeightPixels;
    logicalPageHeight = int((scaled + pageWidthPixels / 2) / pageWidthPixels);
    return logicalPageHeight > 0;
}

void ChannelPrinter::OnPrint(QPainter& painter, const QDateTime& when) {
    if (!grid)
        return;
    RenderChannelPage(painter, form, *grid, checkValue,
                      when.isValid() ? when : QDateTime::currentDateTime());
}

void ChannelPrinter::OnEndPrinting() {
    printFont.reset();
}

void ChannelPrinter::RenderChannelPage(QPainter& painter, const QWidget* formWidget,
                                       CGridCtrl& gridCtrl, const CheckValueFn& checkFn,
                                       const QDateTime& when) {
    if (logicalPageWidth <= 0 || logicalPageHeight <= 0 || pageWidthPixels <= 0 ||
        pageHeightPixels <= 0)
        return;

    painter.save();
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

    const int lineHeight = gridCtrl.GetFixedRowHeight();
    const QRect line(0, 0, logicalPageWidth - (leftMarginChars + rightMarginChars) * charWidth,
                     lineHeight);

    drawClippedText(painter, line, FormatDateLine(when));
    setOrigin(originY + lineHeight);

    const QString yes = LangText(catalog, "IDS_YES");
    const QString no = LangText(catalog, "IDS_NO");
    for (const auto& entries : kSettingsBlock) {
        for (int column = 0; column < 3; ++column) {
            const SettingsEntry& entry = entries[column];
            if (entry.captionId == 0)
                continue;
            const QString caption = windowText(findControl(formWidget, entry.captionId));
            QString value;
            if (entry.valueId != 0)
                value = windowText(findControl(formWidget, entry.valueId));
            else
                value = checkState(formWidget, entry.captionId, checkFn) == 1 ? yes : no;
            drawClippedText(painter, line.translated(kEntryX[column], 0),
                            caption + QStringLiteral(" : ") + value);
        }
        setOrigin(originY + lineHeight);
    }

    painter.save();
    gridCtrl.PrintFixedRows(painter);
    painter.restore();

    // Used channels follow one another without gaps for the empty ones.
    int previousHeight = lineHeight;
    for (int row = 1; row <= kLastChannelRow && row < gridCtrl.rowCount(); ++row) {
        if (gridCtrl.GetItemText(row, 1).isEmpty())
            continue;
        setOrigin(originY + previousHeight);
        painter.save();
        gridCtrl.PrintRow(painter, row);
        painter.restore();
        previousHeight = gridCtrl.GetRowHeight(row);
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

bool ChannelPrinter::RunJob(QPrinter& target, const QDateTime& when) {
    if (!OnBeginPrinting(target)) {
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

bool ChannelPrinter::Print(QWidget* parent, bool direct) {
    if (!OnPreparePrinting(parent, direct))
        return false;
    if (RunJob(printer(), QDateTime()))
        return true;
    const QString target =
        printer().printerName().isEmpty() ? printer().outputFileName() : printer().printerName();
    ShowMessageBox(parent, LangText(catalog, "IDS_ERROR_PRINT") + "\n" + target,
                   LangText(catalog, "IDS_ERROR"), MsgButtons::Ok, MsgIcon::Stop);
    return false;
}

void ChannelPrinter::Preview(QWidget* parent) {
    if (!OnPreparePrinting(parent, true))
        return;
    QPrintPreviewDialog dialog(&printer(), parent);
    if (auto* view = dialog.findChild<QPrintPreviewWidget*>())
        view->setViewMode(QPrintPreviewWidget::SinglePageView);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* target) { RunJob(*target, QDateTime()); });
    dialog.exec();
}

void ChannelPrinter::Setup(QWidget* parent) {
    QPageSetupDialog dialog(&printer(), parent);
    dialog.exec();
}

bool ChannelPrinter::PrintToPdf(const QString& file, const QDateTime& when) {
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
        ok = RunJob(pdf, when);
    }
    ok = ok && QFileInfo(temporaryName).size() > 0 &&
         std::rename(temporaryPath.constData(), QFile::encodeName(file).constData()) == 0;
    if (!ok)
        QFile::remove(temporaryName);
    return ok;
}

} // namespace orvik
