#include "gui/frame/CPlanDlg.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/lang/PlanKeys.h"
#include "core/model/Codecs.h"
#include "core/profile/PrintableText.h"
#include "gui/lang/LangUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvik {

namespace {

enum Column { ColNumber, ColName, ColReceive, ColTransmit, ColPower, ColBandwidth, ColComment };

QString text(const std::string& s) {
    return QString::fromStdString(PrintableText(s));
}

QString join(const std::vector<std::string>& parts) {
    QStringList out;
    for (const std::string& p : parts)
        out << text(p);
    return out.join(QLatin1Char(','));
}

// Values with a unit keep their order ("0.5 W", not "W 0.5") in a right-to-left window: a
// left-to-right mark comes first.
QString wattsText(double watts) {
    return QString(QChar(0x200E)) + QString::number(watts, 'g') + QStringLiteral(" W");
}

QString bandwidthText(bool narrow) {
    return QString(QChar(0x200E)) +
           (narrow ? QStringLiteral("12.5 kHz") : QStringLiteral("25 kHz"));
}

} // namespace

CPlanDlg::CPlanDlg(LangCatalog& catalog, const std::vector<ChannelPlan>& planList,
                   const RadioDocument& doc, Mode how, std::vector<std::string> names,
                   QWidget* parent)
    : QDialog(parent), texts(catalog), all(planList), document(doc), mode(how),
      bandNames(std::move(names)) {
    setWindowTitle(LangText(texts, mode == Mode::New ? lang::IDS_PLAN_NEW_TITLE
                                                     : lang::IDS_PLAN_INSERT_TITLE));
    buildLayout();
    connect(plans, &QComboBox::currentIndexChanged, this, [this] { showPlan(); });
    connect(otherBands, &QCheckBox::toggled, this, [this] { fillPlans(); });
    connect(channels, &QTreeWidget::itemChanged, this, &CPlanDlg::onItemChanged);
    connect(intoFree, &QRadioButton::toggled, this, [this] { rerun(); });
    connect(from, &QSpinBox::valueChanged, this, [this] {
        fromChannel->setChecked(true);
        rerun();
    });
    connect(toneAll, &QCheckBox::toggled, this, [this](bool on) {
        tone->setEnabled(on);
        rerun();
    });
    connect(tone, &QComboBox::currentIndexChanged, this, [this] { rerun(); });
    fillPlans();
}

void CPlanDlg::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    plans = new QComboBox(this);
    plans->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* planLabel = new QLabel(LangText(texts, lang::IDS_PLAN_ID), this);
    planLabel->setBuddy(plans);
    otherBands = new QCheckBox(LangText(texts, lang::IDS_PLAN_OTHER_BANDS), this);
    otherBands->setVisible(mode == Mode::Insert);
    top->addWidget(planLabel);
    top->addWidget(plans, 1);
    top->addWidget(otherBands);
    layout->addLayout(top);

    facts = new QLabel(this);
    facts->setTextFormat(Qt::PlainText);
    facts->setWordWrap(true);
    layout->addWidget(facts);
    band = new QLabel(this);
    band->setTextFormat(Qt::PlainText);
    band->setVisible(mode == Mode::New);
    layout->addWidget(band);

    channels = new QTreeWidget(this);
    channels->setRootIsDecorated(false);
    channels->setUniformRowHeights(true);
    channels->setHeaderLabels(
        {QStringLiteral("#"), LangText(texts, lang::IDS_PLAN_NAME),
         LangText(texts, lang::IDS_PLAN_RECEIVE), LangText(texts, lang::IDS_PLAN_TRANSMIT),
         LangText(texts, lang::IDS_PLAN_POWER), LangText(texts, lang::IDS_PLAN_BANDWIDTH),
         LangText(texts, lang::IDS_PLAN_COMMENT)});
    channels->setMinimumSize(640, 180);
    layout->addWidget(channels, 2);
    ticked = new QLabel(this);
    layout->addWidget(ticked);
    layout->addWidget(buildPlacement());

    report = new QPlainTextEdit(this);
    report->setReadOnly(true);
    report->setLineWrapMode(QPlainTextEdit::NoWrap);
    report->setMinimumHeight(60);
    layout->addWidget(new QLabel(LangText(texts, lang::IDS_CSV_REPORT), this));
    layout->addWidget(report, 1);
    auto* disclaimer = new QLabel(LangText(texts, lang::IDS_RULE_DISCLAIMER), this);
    disclaimer->setTextFormat(Qt::PlainText);
    disclaimer->setWordWrap(true);
    layout->addWidget(disclaimer);
    buttons = OkCancelButtons(texts, this);
    layout->addWidget(buttons);
}

QWidget* CPlanDlg::buildPlacement() {
    auto* box = new QWidget(this);
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* where = new QHBoxLayout;
    intoFree = new QRadioButton(LangText(texts, lang::IDS_PLAN_INTO_FREE), box);
    fromChannel = new QRadioButton(LangText(texts, lang::IDS_PLAN_FROM), box);
    from = new QSpinBox(box);
    from->setRange(1, ChannelCount);
    intoFree->setChecked(true);
    where->addWidget(intoFree);
    where->addSpacing(12);
    where->addWidget(fromChannel);
    where->addWidget(from);
    where->addStretch(1);
    rows->addLayout(where);

    auto* toneRow = new QHBoxLayout;
    toneAll = new QCheckBox(LangText(texts, lang::IDS_PLAN_TONE_ALL), box);
    tone = new QComboBox(box);
    const std::vector<std::string> tones = ToneListTexts(texts.text(lang::IDS_OFF));
    for (std::size_t i = 1; i < tones.size(); ++i) // the off entry is the plan's own tones
        tone->addItem(QString::fromStdString(tones[i]));
    tone->setCurrentText(QStringLiteral("88.5"));
    tone->setEnabled(false);
    toneRow->addWidget(toneAll);
    toneRow->addWidget(tone);
    toneRow->addStretch(1);
    rows->addLayout(toneRow);
    return box;
}

void CPlanDlg::fillPlans() {
    const ChannelPlan* was = plan();
    filling = true;
    plans->clear();
    listed.clear();
    for (const ChannelPlan& p : all) {
        if (mode == Mode::Insert && !otherBands->isChecked() &&
            PlanBandFit(p, document.limits()).fit == 0)
            continue;
        QString name = text(p.name);
        if (!p.regions.empty())
            name += QStringLiteral(" (%1)").arg(join(p.regions));
        if (p.own)
            name += QStringLiteral(" [%1]").arg(LangText(texts, lang::IDS_PLAN_OWN));
        listed.push_back(&p);
        plans->addItem(name);
        if (&p == was)
            plans->setCurrentIndex(plans->count() - 1);
    }
    filling = false;
    showPlan();
}

const ChannelPlan* CPlanDlg::plan() const {
    const int i = plans ? plans->currentIndex() : -1;
    return i >= 0 && i < static_cast<int>(listed.size()) ? listed[static_cast<std::size_t>(i)]
                                                         : nullptr;
}

int CPlanDlg::bandPosition() const {
    if (mode == Mode::Insert)
        return document.image().bandListPosition();
    const int fresh = RadioDocument().image().bandListPosition();
    return plan() ? BestBandPosition(*plan(), fresh) : fresh;
}

RadioDocument CPlanDlg::target() const {
    if (mode == Mode::Insert)
        return document;
    RadioDocument fresh;
    if (fresh.image().bandListPosition() != bandPosition())
        fresh.setBand(bandPosition());
    return fresh;
}

void CPlanDlg::showPlan() {
    if (filling)
        return;
    filling = true;
    channels->clear();
    const ChannelPlan* p = plan();
    QStringList lines;
    if (p == nullptr)
        lines << LangText(texts, lang::IDS_PLAN_NO_PLANS);
    else
        for (const auto& [key, value] : {std::pair{lang::IDS_PLAN_SERVICE, p->service},
                                         std::pair{lang::IDS_PLAN_REGULATION, p->regulation},
                                         std::pair{lang::IDS_PLAN_CHECKED, p->checked}})
            if (!value.empty())
                lines << LangText(texts, key) + QStringLiteral(": ") + text(value);
    facts->setText(lines.join(QLatin1Char('\n')));
    const int position = bandPosition();
    band->setText(FillText(LangText(texts, lang::IDS_PLAN_NEW_BAND),
                           {position < static_cast<int>(bandNames.size())
                                ? text(bandNames[static_cast<std::size_t>(position)])
                                : QString::number(position)}));
    if (p != nullptr) {
        const FrequencyLimits limits = target().limits();
        int left = room();
        for (const PlanChannel& c : p->channels) {
            QTreeWidgetItem* item = channelItem(c, limits);
            if ((item->flags() & Qt::ItemIsUserCheckable) && left > 0) {
                item->setCheckState(ColNumber, Qt::Checked);
                --left;
            }
        }
        for (int column = 0; column < channels->columnCount(); ++column)
            channels->resizeColumnToContents(column);
    }
    filling = false;
    rerun();
}

QTreeWidgetItem* CPlanDlg::channelItem(const PlanChannel& c, const FrequencyLimits& limits) {
    const bool storable = FrequencyStorable(c.rxHz) && (!c.transmit || FrequencyStorable(c.txHz));
    const bool fits = ChannelFits(c, limits);
    QString comment = text(c.comment);
    if (!fits) {
        const char* why = storable ? lang::IDS_PLAN_OUTSIDE : lang::IDS_PLAN_NOT_STORABLE;
        comment += (comment.isEmpty() ? QString() : QStringLiteral("; ")) + LangText(texts, why);
    }
    auto* item = new QTreeWidgetItem(
        channels,
        {QString::number(c.number), text(c.name), QString::fromStdString(PlanMhzText(c.rxHz)),
         c.transmit ? QString::fromStdString(PlanMhzText(c.txHz))
                    : LangText(texts, lang::IDS_PLAN_RECEIVE_ONLY),
         c.maxWatts >= 0 ? wattsText(c.maxWatts) : LangText(texts, lang::IDS_PLAN_NO_LIMIT),
         bandwidthText(c.narrowOnly), comment});
    item->setData(ColNumber, Qt::UserRole, c.number);
    if (fits) {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(ColNumber, Qt::Unchecked);
    } else {
        item->setFlags(Qt::ItemIsSelectable); // greyed: not enabled, cannot be ticked
        item->setToolTip(ColComment, comment);
    }
    return item;
}

int CPlanDlg::room() const {
    if (fromChannel->isChecked())
        return ChannelCount + 1 - from->value();
    // A new document has every channel free.
    if (mode == Mode::New)
        return ChannelCount;
    int free = 0;
    for (int n = 1; n <= ChannelCount; ++n)
        free += document.image().isRxEmpty(n) ? 1 : 0;
    return free;
}

std::vector<int> CPlanDlg::picks() const {
    std::vector<int> out;
    for (int i = 0; i < channels->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = channels->topLevelItem(i);
        // A greyed channel never goes in, whatever its tick says.
        if ((item->flags() & Qt::ItemIsUserCheckable) && item->checkState(ColNumber) == Qt::Checked)
            out.push_back(item->data(ColNumber, Qt::UserRole).toInt());
    }
    return out;
}

PlanApplyOptions CPlanDlg::options() const {
    PlanApplyOptions o;
    o.picks = picks();
    o.placement =
        fromChannel->isChecked() ? PlanPlacement::FromChannel : PlanPlacement::FreeChannels;
    o.from = from->value();
    if (toneAll->isChecked())
        o.tone = ListedTone(tone->currentText().toStdString()).value_or(std::string());
    return o;
}

QString CPlanDlg::reportText() const {
    return report->toPlainText();
}

void CPlanDlg::onItemChanged(QTreeWidgetItem* item) {
    if (filling)
        return;
    if (item->checkState(ColNumber) == Qt::Checked && static_cast<int>(picks().size()) > room()) {
        filling = true;
        item->setCheckState(ColNumber, Qt::Unchecked);
        filling = false;
    }
    rerun();
}

void CPlanDlg::rerun() {
    if (filling)
        return;
    // Fewer places than ticks (the placement changed): the last ticks are taken back.
    filling = true;
    for (int i = channels->topLevelItemCount() - 1;
         i >= 0 && static_cast<int>(picks().size()) > room(); --i)
        channels->topLevelItem(i)->setCheckState(ColNumber, Qt::Unchecked);
    filling = false;
    const std::vector<int> chosen = picks();
    ticked->setText(FillText(LangText(texts, lang::IDS_PLAN_TICKED),
                             {QString::number(chosen.size()), QString::number(room())}));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(plan() != nullptr && !chosen.empty());
    if (plan() == nullptr || chosen.empty()) {
        report->clear();
        return;
    }
    RadioDocument trial = target();
    PlanApplyResult result;
    ApplyPlan(trial, *plan(), options(), result);
    const auto lookup = [this](std::string_view key) { return texts.text(key); };
    QStringList lines;
    for (const std::string& line : PlanReportLines(result, lookup))
        lines << QString::fromStdString(line);
    if (result.import.notes.empty() && result.notPlaced.empty())
        lines.prepend(LangText(texts, lang::IDS_CSV_NO_NOTES));
    report->setPlainText(lines.join(QLatin1Char('\n')));
}

} // namespace orvik
