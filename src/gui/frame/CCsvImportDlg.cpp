#include "gui/frame/CCsvImportDlg.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/model/EditRules.h"
#include "gui/lang/LangUi.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvik {

CCsvImportDlg::CCsvImportDlg(LangCatalog& catalog, const RadioDocument& doc, std::string csvText,
                             QWidget* parent)
    : QDialog(parent), texts(catalog), document(doc), image(doc.image()), csv(std::move(csvText)) {
    setWindowTitle(LangText(texts, lang::IDS_CSV_IMPORT_TITLE));
    auto* layout = new QVBoxLayout(this);
    renumber = new QCheckBox(LangText(texts, lang::IDS_CSV_RENUMBER), this);
    replaceAll = new QCheckBox(LangText(texts, lang::IDS_CSV_REPLACE_ALL), this);
    report = new QPlainTextEdit(this);
    report->setReadOnly(true);
    report->setLineWrapMode(QPlainTextEdit::NoWrap);
    report->setMinimumSize(560, 260);
    QDialogButtonBox* buttons = OkCancelButtons(texts, this);
    layout->addWidget(renumber);
    layout->addWidget(replaceAll);
    layout->addWidget(new QLabel(LangText(texts, lang::IDS_CSV_REPORT), this));
    layout->addWidget(report);
    layout->addWidget(buttons);
    connect(renumber, &QCheckBox::toggled, this, [this] { rerun(); });
    connect(replaceAll, &QCheckBox::toggled, this, [this] { rerun(); });
    rerun();
}

QString CCsvImportDlg::reportText() const {
    return report->toPlainText();
}

CsvImportOptions CCsvImportDlg::options() const {
    return {renumber->isChecked(), replaceAll->isChecked()};
}

void CCsvImportDlg::rerun() {
    RadioDocument trial = document;
    trial.applyCsv(csv, options(), current);
    const auto lookup = [this](std::string_view key) { return texts.text(key); };
    QStringList lines;
    for (const std::string& line : CsvReportLines(current, lookup))
        lines << QString::fromStdString(line);
    if (current.notes.empty())
        lines.prepend(LangText(texts, lang::IDS_CSV_NO_NOTES));

    // Each changed channel as the table shows it, before and after.
    const CellTexts cells{texts.text(lang::IDS_OFF),    texts.text(lang::IDS_YES),
                          texts.text(lang::IDS_NO),     texts.text(lang::IDS_WIDE),
                          texts.text(lang::IDS_NARROW), texts.text(lang::IDS_HIGH),
                          texts.text(lang::IDS_LOW)};
    auto row = [&cells](const RadioImage& from, int n) {
        QStringList parts;
        for (int column = ColRxFreq; column < ChannelColumnCount; ++column)
            parts << QString::fromStdString(channelCellText(from, n, column, cells));
        return parts.join(QLatin1Char(' ')).trimmed();
    };
    if (!current.changed.empty())
        lines << QString();
    for (int n : current.changed)
        lines << QStringLiteral("%1: %2  \u2192  %3")
                     .arg(n)
                     .arg(row(image, n), row(current.image, n));
    report->setPlainText(lines.join(QLatin1Char('\n')));
}

} // namespace orvik
