#include "gui/views/ChannelDialogs.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/model/Codecs.h"
#include "gui/app/MessageBox.h"
#include "gui/lang/LangUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvik {

namespace {

// Language keys of the two entries of option columns 5..9 (position = bit value).
const char* const OptionKeys[][2] = {
    {"IDS_YES", "IDS_NO"}, {"IDS_WIDE", "IDS_NARROW"}, {"IDS_LOW", "IDS_HIGH"},
    {"IDS_YES", "IDS_NO"}, {"IDS_YES", "IDS_NO"},
};

QString heading(LangCatalog& texts, int column) {
    std::string text;
    texts.columnHeader(column, text);
    return QString::fromStdString(text);
}

} // namespace

CEditChannelsDlg::CEditChannelsDlg(LangCatalog& texts, const RadioImage& image, int channel,
                                   QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(LangText(texts, lang::IDS_EDIT_CHANNELS_TITLE));
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    layout->addLayout(fields);
    const CellTexts words = LoadCellTexts(texts);
    QStringList tones;
    for (const std::string& t : ToneListTexts(words.off))
        tones.append(QString::fromStdString(t));
    int row = 0;
    for (int c : {ColRxTone, ColTxTone, ColScanAdd, ColNarrow, ColHighPower, ColBusyLockOut,
                  ColScrambler}) {
        auto* box = new QCheckBox(heading(texts, c), this);
        auto* list = new QComboBox(this);
        const QString current = QString::fromStdString(channelFieldText(image, channel, c, words));
        if (c == ColRxTone || c == ColTxTone) {
            // Any tone may be typed, listed or not.
            list->setEditable(true);
            list->setInsertPolicy(QComboBox::NoInsert);
            list->addItems(tones);
            list->setCurrentText(current);
        } else {
            const auto& keys = OptionKeys[c - ColScanAdd];
            list->addItem(LangText(texts, keys[0]));
            list->addItem(LangText(texts, keys[1]));
            list->setCurrentIndex(std::max(0, list->findText(current)));
        }
        list->setMinimumContentsLength(8);
        list->setAccessibleName(box->text());
        // Choosing a value means changing that field.
        connect(list, &QComboBox::activated, box, [box] { box->setChecked(true); });
        connect(list, &QComboBox::editTextChanged, box, [box, list] {
            if (list->hasFocus())
                box->setChecked(true);
        });
        fields->addWidget(box, row, 0);
        fields->addWidget(list, row, 1);
        ticks[std::size_t(c)] = box;
        values[std::size_t(c)] = list;
        ++row;
    }
    layout->addWidget(OkCancelButtons(texts, this));
}

QCheckBox* CEditChannelsDlg::tick(int column) const {
    return column >= 0 && column < ChannelColumnCount ? ticks[std::size_t(column)] : nullptr;
}

QComboBox* CEditChannelsDlg::value(int column) const {
    return column >= 0 && column < ChannelColumnCount ? values[std::size_t(column)] : nullptr;
}

ChannelEdit CEditChannelsDlg::edit() const {
    ChannelEdit e;
    for (int c = ColRxTone; c < ChannelColumnCount; ++c) {
        const QCheckBox* box = ticks[std::size_t(c)];
        if (box == nullptr || !box->isChecked())
            continue;
        const QComboBox* list = values[std::size_t(c)];
        if (c == ColRxTone)
            e.rxTone = list->currentText().trimmed().toStdString();
        else if (c == ColTxTone)
            e.txTone = list->currentText().trimmed().toStdString();
        else
            e.options[std::size_t(c)] = list->currentIndex();
    }
    return e;
}

CFillDlg::CFillDlg(LangCatalog& catalog, const QString& startText, QWidget* parent)
    : QDialog(parent), texts(catalog) {
    setWindowTitle(LangText(texts, lang::IDS_FILL_TITLE));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    start = new QLineEdit(startText, this);
    step = new QComboBox(this);
    step->setEditable(true);
    step->setInsertPolicy(QComboBox::NoInsert);
    step->addItems({QStringLiteral("6.25"), QStringLiteral("12.5"), QStringLiteral("25")});
    step->setCurrentIndex(1);
    useOffset = new QCheckBox(LangText(texts, lang::IDS_FILL_OFFSET), this);
    offset = new QLineEdit(QStringLiteral("0"), this);
    offset->setEnabled(false);
    connect(useOffset, &QCheckBox::toggled, offset, &QWidget::setEnabled);
    form->addRow(LangText(texts, lang::IDS_FILL_START), start);
    form->addRow(LangText(texts, lang::IDS_FILL_STEP), step);
    form->addRow(useOffset, offset);
    layout->addWidget(OkCancelButtons(texts, this));
}

std::optional<FrequencyFill> CFillDlg::fill() const {
    FrequencyFill f;
    const auto first = ParseMegahertz(start->text().trimmed().replace(',', '.').toStdString());
    // The step is in kHz: as a MHz text it is 1000 times too large.
    const auto kilohertz =
        ParseMegahertz(step->currentText().trimmed().replace(',', '.').toStdString());
    if (!first || *first < 0 || !kilohertz || *kilohertz <= 0 || *kilohertz % 1000 != 0)
        return std::nullopt;
    f.start = *first;
    f.step = *kilohertz / 1000;
    if (useOffset->isChecked()) {
        f.offset = ParseMegahertz(offset->text().trimmed().replace(',', '.').toStdString());
        if (!f.offset)
            return std::nullopt;
    }
    return f;
}

void CFillDlg::accept() {
    if (!fill()) {
        ShowMessageBox(this, LangText(texts, lang::IDS_FILL_BAD), windowTitle(), MsgButtons::Ok,
                       MsgIcon::Exclamation);
        return;
    }
    QDialog::accept();
}

} // namespace orvik
