#include "gui/views/COrvikView.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/model/Codecs.h"
#include "core/model/SettingsTable.h"
#include "core/profile/AppPaths.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/views/ChannelPrint.h"
#include "gui/views/DialogUnits.h"
#include "gui/views/DtmfEdit.h"
#include "gui/views/FreqEdit.h"
#include "gui/views/InPlaceList.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>
#include <limits>
#include <map>

namespace orvik {

namespace {

constexpr int kFormWidthDu = 569;
constexpr int kFormHeightDu = 366;
// The table's place in the form: its left and top edges as placed; its right and bottom edges
// keep these distances from the form's, so the table follows the window's size.
constexpr int kTableLeftDu = 10;
constexpr int kTableTopDu = 117;
constexpr int kTableRightMarginDu = 29;
constexpr int kTableBottomMarginDu = 3;

std::string toStd(const QString& s) {
    return s.toStdString();
}

// Empties a list and fills it; `position` is selected, or nothing when it has no entry.
void fillList(QComboBox* list, const std::vector<std::string>& entries, int position) {
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::string& e : entries)
        list->addItem(QString::fromStdString(e));
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

void selectPosition(QComboBox* list, int position) {
    const QSignalBlocker blocker(list);
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

// Every shown control of the form with the geometry it was placed at.
using PlacedControls = std::vector<std::pair<QWidget*, QRect>>;
// A label and the list it names, on one row.
using LabelRow = std::pair<QLabel*, QComboBox*>;

// The room the panel's texts may take: the form, the gap kept between a label's text and its
// list, and every shown control as placed.
struct PanelRoom {
    const QWidget* form;
    int gap;
    const PlacedControls& placed;

    // The left edge of the nearest shown control to the right of `r` on the same row, or the
    // inner right edge of the group box around it, or the form's edge.
    int limitRightOf(const QRect& r, const QWidget* self) const {
        int limit = form->width() - gap;
        for (const auto& [w, rect] : placed) {
            if (w == self)
                continue;
            if (auto* group = qobject_cast<QGroupBox*>(w); group && rect.contains(r))
                limit = std::min(limit, rect.right() - gap);
            else if (rect.left() > r.left() && rect.top() <= r.bottom() && rect.bottom() >= r.top())
                limit = std::min(limit, rect.left() - gap);
        }
        return limit;
    }
};

// The label's own measure of one line of its text (its bounding box may pass the advance).
int textWidth(const QLabel* label) {
    return std::max(label->fontMetrics().horizontalAdvance(label->text()),
                    label->sizeHint().width());
}

// Labels named after their list, gathered into columns by the lists' left edge. Every label
// starts unwrapped and without a tool tip.
std::map<int, std::vector<LabelRow>> labelColumns(const PlacedControls& placed) {
    std::map<int, std::vector<LabelRow>> columns;
    for (const auto& [w, rect] : placed) {
        auto* label = qobject_cast<QLabel*>(w);
        if (!label)
            continue;
        label->setWordWrap(false);
        label->setToolTip(QString());
        // Only a label left of its list (not one above it) makes room for itself.
        if (auto* list = qobject_cast<QComboBox*>(label->buddy());
            list && !list->isHidden() && list->x() > label->x())
            columns[list->x()].emplace_back(label, list);
    }
    return columns;
}

// One column of labels and lists: the lists move right as far as the next control allows,
// then narrow down to their content; a label that still does not fit wraps.
void fitLabelColumn(const std::vector<LabelRow>& rows, const PanelRoom& room) {
    const int gap = room.gap;
    int need = 0;
    int space = std::numeric_limits<int>::max();
    int slack = std::numeric_limits<int>::max();
    for (const auto& [label, list] : rows) {
        need = std::max(need, label->x() + textWidth(label) + gap - list->x());
        space =
            std::min(space, room.limitRightOf(list->geometry(), list) - list->geometry().right());
        slack = std::min(slack, list->width() - list->sizeHint().width());
    }
    need = std::max(need, 0);
    const int shift = std::clamp(space, 0, need);
    const int narrow = std::clamp(need - shift, 0, std::max(slack, 0));
    for (const auto& [label, list] : rows) {
        list->setGeometry(list->x() + shift + narrow, list->y(), list->width() - narrow,
                          list->height());
        const QRect placed = label->geometry();
        const int width = list->x() - gap - placed.x();
        if (textWidth(label) <= placed.width())
            continue;
        if (textWidth(label) <= width) {
            label->setGeometry(placed.x(), placed.y(), width, placed.height());
            continue;
        }
        // Two lines at most, centred on the row; a word longer than the place stays cut.
        label->setWordWrap(true);
        label->setToolTip(label->text());
        const int height =
            std::min(label->heightForWidth(width), 2 * label->fontMetrics().lineSpacing());
        label->setGeometry(placed.x(), placed.center().y() - height / 2, width,
                           std::max(height, placed.height()));
    }
}

// Check boxes widen to their text within the form, or name it in a tool tip.
void fitCheckBoxes(const PanelRoom& room) {
    for (const auto& [w, rect] : room.placed) {
        auto* box = qobject_cast<QCheckBox*>(w);
        if (!box)
            continue;
        const int wanted = box->sizeHint().width();
        const int width =
            std::max(rect.width(), std::min(wanted, room.limitRightOf(rect, box) - rect.x()));
        box->resize(width, rect.height());
        box->setToolTip(wanted > width ? box->text() : QString());
    }
}

} // namespace

COrvikView::COrvikView(LangCatalog& texts, const AppPaths& appPaths, COrvikDoc& document,
                       QWidget* parent)
    : QScrollArea(parent), catalog(texts), paths(appPaths), doc(document) {
    formWidget = new QWidget;
    SetControlId(formWidget, ids::IDD_FORMVIEW);
    buildForm();
    setWidget(formWidget);
    // The form fills the view; the view scrolls only when the window is smaller than the
    // panel with the whole table.
    setWidgetResizable(true);
    formWidget->installEventFilter(this);

    printer = std::make_unique<ChannelPrinter>(catalog);

    connect(&doc, &COrvikDoc::viewsUpdateRequested, this, &COrvikView::OnUpdate);
    connect(&doc, &COrvikDoc::documentChanged, this, [this](const DocChange& change) {
        hideEditors();
        refreshChanged(change);
    });
}

COrvikView::~COrvikView() {
    // The controls go first, while the view is whole; nothing is stored as they go away.
    activeEditor = Editor::None;
    delete takeWidget();
}

QLabel* COrvikView::addLabel(int id, const char* caption, int x, int y, int w, int h) {
    const DialogUnits du(formWidget->font());
    auto* label = new QLabel(QString::fromUtf8(caption), formWidget);
    QRect r = du.rect(x, y, w, h);
    r.setHeight(std::max(r.height(), label->fontMetrics().height()));
    label->setGeometry(r);
    label->setTextFormat(Qt::PlainText);
    SetControlId(label, id);
    return label;
}

QComboBox* COrvikView::addList(int id, int x, int y, int w, int h) {
    const DialogUnits du(formWidget->font());
    auto* list = new QComboBox(formWidget);
    list->setEditable(false);
    list->setInsertPolicy(QComboBox::NoInsert);
    const QRect dropped = du.rect(x, y, w, h);
    const int closedHeight = list->sizeHint().height();
    list->setGeometry(dropped.x(), dropped.y(), dropped.width(), closedHeight);
    // The height given for a list includes its opened drop-down part.
    const int itemHeight = list->fontMetrics().height() + 4;
    list->setMaxVisibleItems(std::max(1, (dropped.height() - closedHeight) / itemHeight));
    // The wheel changes a list only while it has the keyboard focus; passing over a list while
    // scrolling the form must not change a setting.
    list->setFocusPolicy(Qt::StrongFocus);
    list->installEventFilter(this);
    SetControlId(list, id);
    return list;
}

QCheckBox* COrvikView::addCheck(int id, const char* caption, int x, int y, int w, int h) {
    const DialogUnits du(formWidget->font());
    auto* box = new QCheckBox(QString::fromUtf8(caption), formWidget);
    QRect r = du.rect(x, y, w, h);
    r.setHeight(std::max(r.height(), box->sizeHint().height()));
    box->setGeometry(r);
    SetControlId(box, id);
    connect(box, &QCheckBox::toggled, this, [this, id] { onCheckClicked(id); });
    return box;
}

void COrvikView::hideControl(QWidget* w) {
    w->hide();
    w->setEnabled(false);
}

void COrvikView::buildForm() {
    using namespace ids;
    const DialogUnits du(formWidget->font());
    formWidget->setMinimumSize(du.x(kFormWidthDu), du.y(kFormHeightDu));

    auto* group = new QGroupBox(QString::fromUtf8("机型信息"), formWidget);
    group->setGeometry(du.rect(9, 9, 179, 49));
    SetControlId(group, IDC_MODEL_GROUP);
    addLabel(IDC_BAND_LABEL, "频率范围", 19, 32, 52, 8);
    bandList = addList(IDC_BAND_LIST, 74, 30, 106, 101);
    QCheckBox* vox = addCheck(IDC_VOX_FUNCTION, "声控功能", 71, 70, 63, 10);
    addLabel(IDC_VOXLEVEL_LABEL, "声控电平", 16, 97, 52, 8);
    voxLevelList = addList(IDC_VOXLEVEL_LIST, 71, 93, 106, 123);
    addLabel(IDC_SQUELCH_LABEL, "静噪等级", 202, 14, 70, 8);
    squelchList = addList(IDC_SQUELCH_LIST, 278, 12, 84, 123);
    addLabel(IDC_TOT_LABEL, "发射限时[秒]", 202, 34, 70, 8);
    timeOutList = addList(IDC_TOT_LIST, 278, 32, 84, 123);
    addLabel(IDC_VOICE_LABEL, "语音播报", 202, 55, 75, 8);
    voiceList = addList(IDC_VOICE_LIST, 278, 53, 84, 52);
    addLabel(IDC_SIDEKEY1_LABEL, "侧键1", 202, 76, 70, 8);
    sideKey1List = addList(IDC_SIDEKEY1_LIST, 278, 73, 84, 123);
    addLabel(IDC_SCANMODE_LABEL, "扫描模式", 202, 97, 70, 8);
    scanModeList = addList(IDC_SCANMODE_LIST, 278, 94, 84, 90);
    QCheckBox* beepBox = addCheck(IDC_BEEP, "哔音", 395, 16, 98, 10);
    QCheckBox* scan = addCheck(IDC_SCAN_FUNCTION, "扫描功能", 395, 34, 98, 10);
    QCheckBox* battery = addCheck(IDC_BATTERY_SAVE, "电池省电", 395, 55, 98, 10);
    QCheckBox* voice = addCheck(IDC_VOICE_FUNCTION, "语音功能", 395, 75, 98, 10);
    QCheckBox* fm = addCheck(IDC_FM_FUNCTION, "收音机功能", 395, 96, 98, 10);

    // Filled, printed and wired, but never shown to the user.
    hideControl(addLabel(IDC_SIDEKEY2_LABEL, "侧键2", 543, 241, 24, 8));
    sideKey2List = addList(IDC_SIDEKEY2_LIST, 483, 260, 84, 123);
    hideControl(sideKey2List);
    hideControl(addLabel(IDC_FMFREQ_LABEL, "收音机频率", 541, 152, 19, 8));
    fmFreqList = addList(IDC_FMFREQ_LIST, 478, 163, 89, 123);
    hideControl(fmFreqList);
    hideControl(addLabel(IDC_DTMF_LABEL, "DTMF编码", 544, 201, 23, 8));
    dtmfEdit = new DtmfEdit(formWidget);
    dtmfEdit->setGeometry(du.rect(478, 214, 89, 14));
    SetControlId(dtmfEdit, IDC_DTMF_EDIT);
    hideControl(dtmfEdit);

    checks[0] = {IDC_BEEP, beepBox, &this->beep};
    checks[1] = {IDC_BATTERY_SAVE, battery, &batterySave};
    checks[2] = {IDC_FM_FUNCTION, fm, &fmRadioFunction};
    checks[3] = {IDC_SCAN_FUNCTION, scan, &scanFunction};
    checks[4] = {IDC_VOICE_FUNCTION, voice, &voiceFunction};
    checks[5] = {IDC_VOX_FUNCTION, vox, &voxFunction};

    buildTable();
    connectControls();
}

void COrvikView::buildTable() {
    using namespace ids;
    const DialogUnits du(formWidget->font());
    // The in-place editors: hidden and disabled until the grid asks for an edit.
    freqEdit = new FreqEdit(formWidget);
    SetControlId(freqEdit, IDC_FREQ_EDIT);
    optionList = new OptionList(formWidget);
    SetControlId(optionList, IDC_OPTION_LIST);
    toneList = new ToneList(formWidget);
    SetControlId(toneList, IDC_TONE_LIST);
    optionList->installEventFilter(this);
    toneList->installEventFilter(this);
    for (QWidget* editor : {static_cast<QWidget*>(freqEdit), static_cast<QWidget*>(optionList),
                            static_cast<QWidget*>(toneList)})
        hideControl(editor);

    channelGrid = new CGridCtrl(0, 0, 0, 0, formWidget);
    channelGrid->setControlId(IDC_GRID);
    SetControlId(channelGrid, IDC_GRID);
    channelGrid->setGeometry(du.rect(kTableLeftDu, kTableTopDu, 530, 246));
    // The editors lie above the grid, so an editor moved onto a cell covers it.
    freqEdit->raise();
    optionList->raise();
    toneList->raise();
}

void COrvikView::connectControls() {
    using namespace ids;
    const std::pair<QComboBox*, int> lists[] = {
        {voiceList, IDC_VOICE_LIST},       {squelchList, IDC_SQUELCH_LIST},
        {sideKey1List, IDC_SIDEKEY1_LIST}, {timeOutList, IDC_TOT_LIST},
        {voxLevelList, IDC_VOXLEVEL_LIST}, {sideKey2List, IDC_SIDEKEY2_LIST},
        {fmFreqList, IDC_FMFREQ_LIST},     {scanModeList, IDC_SCANMODE_LIST},
    };
    for (const auto& [list, id] : lists)
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, id = id](int position) { onListChanged(id, position); });
    connect(bandList, &QComboBox::currentIndexChanged, this, &COrvikView::onBandChanged);
    connect(dtmfEdit, &DtmfEdit::focusLost, this, &COrvikView::onDtmfFocusLost);

    connect(channelGrid, &CGridCtrl::beginEdit, this, &COrvikView::OnBeginEdit);

    // Each list and text field is named by the label before it (its id is one less), so a
    // screen reader says what the control is for; the label's text follows the language.
    for (QLabel* label : formWidget->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (QWidget* field = control(ControlId(label) + 1);
            field && (qobject_cast<QComboBox*>(field) || qobject_cast<QLineEdit*>(field)))
            label->setBuddy(field);
    }

    for (QWidget* w : formWidget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->isHidden() && w != channelGrid)
            placedGeometry.emplace_back(w, w->geometry());

    connect(freqEdit, &FreqEdit::focusLost, this, &COrvikView::onFreqEditFocusLost);
    connect(toneList, &ToneList::focusLost, this, &COrvikView::onToneListFocusLost);
    connect(optionList, &OptionList::focusLost, this, &COrvikView::onOptionListFocusLost);
    connect(optionList, &QComboBox::currentIndexChanged, this, &COrvikView::onOptionChosen);
    for (auto* editor :
         {static_cast<InPlaceList*>(toneList), static_cast<InPlaceList*>(optionList)})
        connect(editor, &InPlaceList::moveRequested, this,
                [this](EditorMove move) { pendingMove = move; });
    connect(freqEdit, &FreqEdit::moveRequested, this,
            [this](EditorMove move) { pendingMove = move; });
    channelGrid->editingKeyHandler = [this](const QKeyEvent* key) { return onEditingKey(key); };
}

// ---- life ------------------------------------------------------------------------------

void COrvikView::OnInitialUpdate() {
    OnUpdate();
    if (QWidget* frame = window(); frame != this) {
        if (QLayout* layout = frame->layout())
            layout->activate();
        // The window takes the size that shows the whole form without scroll bars: smaller
        // when the form is smaller, larger (up to the screen's free area) when it is larger.
        const QSize spare = maximumViewportSize() - formWidget->minimumSize();
        // The title bar and borders around the window must fit on the screen too.
        const QSize decoration = frame->frameGeometry().size() - frame->size();
        QSize available = frame->size().expandedTo(QSize(1, 1)) * 4;
        if (const QScreen* screen = frame->screen())
            available = screen->availableGeometry().size() - decoration;
        const QSize fitted = FittedWindowSize(frame->size(), spare, available);
        if (fitted != frame->size()) {
            const bool grown = fitted.width() > frame->width() || fitted.height() > frame->height();
            frame->resize(fitted);
            if (grown && frame->screen()) {
                // Centred again, so the larger window with its title bar stays on the screen.
                const QRect area = frame->screen()->availableGeometry();
                const QSize outer = fitted + decoration;
                frame->move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
            }
        }
    }
    freqEdit->setOwnerWindow(channelGrid);
    optionList->setOwnerWindow(channelGrid);
    toneList->setOwnerWindow(channelGrid);
}

QSize COrvikView::FittedWindowSize(QSize window, QSize spare, QSize available) {
    QSize fitted = window - spare;
    // Growing stops at the free area of the screen; shrinking always follows the form.
    fitted.setWidth(std::min(fitted.width(), std::max(window.width(), available.width())));
    fitted.setHeight(std::min(fitted.height(), std::max(window.height(), available.height())));
    return fitted;
}

void COrvikView::OnUpdate() {
    hideEditors();
    channelGrid->setAccessibleName(LangText(catalog, "IDS_CHANNEL_TABLE"));
    ApplyDialogTexts(catalog, formWidget, ids::IDD_FORMVIEW);
    fillLists();
    fitFormTexts();
    dtmfEdit->setMaxLength(5);
    dtmfEdit->setText(QString::fromStdString(DtmfToText(doc.image().dtmfDigits())));
    readCheckValues();
    pushCheckValues();
    FillChannelTable();
    fillToneList();
    pushCheckValues();
    fitFormToTable();
}

void COrvikView::refreshChanged(const DocChange& change) {
    if (change.whole) {
        OnUpdate();
        return;
    }
    if (change.settings) {
        fillLists();
        dtmfEdit->setText(QString::fromStdString(DtmfToText(doc.image().dtmfDigits())));
        readCheckValues();
        pushCheckValues();
    }
    for (int n = 1; n <= ChannelCount; ++n)
        if (change.channels.test(static_cast<std::size_t>(n)))
            RefreshChannelRow(n);
}

void COrvikView::fitFormToTable() {
    // The smallest form shows the panel as placed and the whole table without its own scroll
    // bars, so a small window scrolls the form only, never a table inside a scrolled form.
    const DialogUnits du(formWidget->font());
    const int frame = 2 * channelGrid->frameWidth();
    const int width =
        du.x(kTableLeftDu) + channelGrid->GetTotalWidth() + frame + du.x(kTableRightMarginDu);
    const int height =
        du.y(kTableTopDu) + channelGrid->GetTotalHeight() + frame + du.y(kTableBottomMarginDu);
    formWidget->setMinimumSize(std::max(du.x(kFormWidthDu), width), height);
    placeTable();
}

void COrvikView::placeTable() {
    const DialogUnits du(formWidget->font());
    const QPoint topLeft(du.x(kTableLeftDu), du.y(kTableTopDu));
    const QPoint bottomRight(formWidget->width() - du.x(kTableRightMarginDu) - 1,
                             formWidget->height() - du.y(kTableBottomMarginDu) - 1);
    // Right to left the table keeps its margins, mirrored.
    channelGrid->setGeometry(QStyle::visualRect(formWidget->layoutDirection(), formWidget->rect(),
                                                QRect(topLeft, bottomRight)));
}

void COrvikView::fillLists() {
    const RadioImage& image = doc.image();
    const std::string off = catalog.text("IDS_OFF");
    const std::vector<std::string> monitorKeys = catalog.numberedList("MonitorKey");

    fillList(bandList, ReadBandNames(paths.SettingsFilePath()), image.bandListPosition());
    fillList(voiceList, catalog.numberedList("VoiceAnnunciation"), image.voiceAnnunciation());
    fillList(squelchList, SquelchTexts(), image.squelchLevel());
    fillList(sideKey1List, monitorKeys, image.sideKey1());
    fillList(sideKey2List, monitorKeys, image.sideKey2());
    fillList(timeOutList, TimeOutTexts(off), image.timeOutTimer());
    fillList(voxLevelList, VoxLevelTexts(), image.voxLevel());
    fillList(scanModeList, catalog.numberedList("ScanMode"), image.scanMode());
    fillList(fmFreqList, FmRadioTexts(), image.fmRadioFreq());
}

void COrvikView::fitFormTexts() {
    for (const auto& [w, rect] : placedGeometry)
        w->setGeometry(rect);
    const DialogUnits du(formWidget->font());
    // The gap between a label's text and its list, as placed.
    const PanelRoom room{formWidget, du.x(3), placedGeometry};
    for (const auto& [x, rows] : labelColumns(placedGeometry))
        fitLabelColumn(rows, room);
    fitCheckBoxes(room);
    // The panel is placed left to right; right to left it is mirrored as a whole, so each label
    // stays on its list's far side.
    if (formWidget->isRightToLeft())
        for (const auto& [w, rect] : placedGeometry)
            w->setGeometry(QStyle::visualRect(Qt::RightToLeft, formWidget->rect(), w->geometry()));
}

void COrvikView::fillToneList() {
    QStringList entries;
    for (const std::string& e : ToneListTexts(catalog.text("IDS_OFF")))
        entries.append(QString::fromStdString(e));
    toneList->setEntries(entries);
}

void COrvikView::readCheckValues() {
    for (CheckBinding& c : checks)
        if (const SettingSpec* spec = SettingOfControl(c.id))
            *c.value = SettingValue(*spec, doc.image());
}

void COrvikView::pushCheckValues() {
    for (const CheckBinding& c : checks) {
        const QSignalBlocker blocker(c.box);
        c.box->setChecked(*c.value == 1);
    }
}

int COrvikView::checkValue(int controlId) const {
    for (const CheckBinding& c : checks)
        if (c.id == controlId)
            return *c.value;
    return -1;
}

QWidget* COrvikView::control(int controlId) const {
    const QList<QWidget*> children = formWidget->findChildren<QWidget*>();
    for (QWidget* w : children)
        if (ControlId(w) == controlId)
            return w;
    return nullptr;
}

QString COrvikView::controlText(int controlId) const {
    QWidget* w = control(controlId);
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* list = qobject_cast<QComboBox*>(w))
        return list->currentText();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return QString();
}

// ---- settings panel handlers -----------------------------------------------------------

void COrvikView::onCheckClicked(int id) {
    for (CheckBinding& c : checks)
        *c.value = c.box->isChecked() ? 1 : 0;
    if (const SettingSpec* spec = SettingOfControl(id))
        doc.SetSetting(spec->id, checkValue(id));
}

void COrvikView::onListChanged(int id, int position) {
    if (position < 0)
        return;
    if (const SettingSpec* spec = SettingOfControl(id))
        doc.SetSetting(spec->id, position);
}

void COrvikView::onBandChanged(int position) {
    if (position < 0 || position == doc.image().bandListPosition())
        return;
    const int answer = ShowMessageBox(this, LangText(catalog, "IDS_CONFIRM_FREQ"),
                                      LangText(catalog, "IDS_CONFIRM"), MsgButtons::OkCancel,
                                      MsgIcon::Exclamation);
    if (answer != MsgOk) {
        selectPosition(bandList, doc.image().bandListPosition());
        return;
    }
    doc.SetBand(position);
    doc.UpdateAllViews();
}

void COrvikView::onDtmfFocusLost() {
    doc.SetDtmf(toStd(dtmfEdit->text()));
}

// ---- events of the form ----------------------------------------------------------------

bool COrvikView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == formWidget &&
        (event->type() == QEvent::Resize || event->type() == QEvent::LayoutDirectionChange)) {
        // The mirrored panel hangs from the form's right edge.
        if (event->type() == QEvent::LayoutDirectionChange || formWidget->isRightToLeft())
            fitFormTexts();
        placeTable();
        // The scroll area places the form only when it scrolls or resizes: after a change of
        // direction it places it again, so the form's start (its right edge right to left) shows.
        if (event->type() == QEvent::LayoutDirectionChange)
            setWidgetResizable(widgetResizable());
    }
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        // A list with the keyboard focus keeps the standard editing keys from the window's
        // commands (Ctrl+C is the port dialog there); copy takes its selected entry.
        auto* list = qobject_cast<QComboBox*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        // Alt+Up and Alt+Down open and close a list that has the focus rather than move
        // channels.
        if (list && event->type() == QEvent::ShortcutOverride &&
            key->modifiers() == Qt::AltModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            event->accept();
            return true;
        }
        if (list && IsStandardEditingKey(key)) {
            if (event->type() == QEvent::KeyPress && key->matches(QKeySequence::Copy))
                QGuiApplication::clipboard()->setText(list->currentText());
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::Wheel) {
        auto* list = qobject_cast<QComboBox*>(watched);
        if (list && list->parentWidget() == formWidget && !list->hasFocus()) {
            // Scroll the form instead.
            QCoreApplication::sendEvent(verticalScrollBar(), event);
            return true;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

// ---- printing --------------------------------------------------------------------------

void COrvikView::OnFilePrint(bool direct) {
    printer->Print(this, direct, doc.image());
}

void COrvikView::OnFilePrintPreview() {
    printer->Preview(this, doc.image());
}

void COrvikView::OnFilePrintSetup() {
    printer->Setup(this);
}

} // namespace orvik
