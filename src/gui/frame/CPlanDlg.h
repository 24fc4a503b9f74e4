#pragma once
// Edit > Insert from Plan and File > New from Plan: choose a channel plan, tick its channels
// (as many as there is room for), choose where they go and optionally one tone for all. The
// report of the import is previewed on a copy; the caller applies options() to the document
// when the dialog is accepted. Channels outside the band, or whose frequency the radio cannot
// store exactly, are greyed and cannot be ticked.

#include "core/model/ChannelPlan.h"
#include "core/model/RadioDocument.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvik {

class LangCatalog;

class CPlanDlg : public QDialog {
    Q_OBJECT
public:
    enum class Mode {
        Insert, // into `document`, whose band filters the plans
        New,    // into a new document of the band that suits the chosen plan
    };
    // `bandNames`: the band list's names (setting.ini), for the band a new document gets.
    CPlanDlg(LangCatalog& texts, const std::vector<ChannelPlan>& plans,
             const RadioDocument& document, Mode mode, std::vector<std::string> bandNames = {},
             QWidget* parent = nullptr);

    // The chosen plan; null when none is listed.
    const ChannelPlan* plan() const;
    PlanApplyOptions options() const;
    // New: the band list position of the new document.
    int bandPosition() const;
    QString reportText() const;

    QComboBox* planList() const { return plans; }
    QCheckBox* otherBandsBox() const { return otherBands; }
    QTreeWidget* channelList() const { return channels; }
    QRadioButton* intoFreeButton() const { return intoFree; }
    QRadioButton* fromButton() const { return fromChannel; }
    QSpinBox* fromBox() const { return from; }
    QCheckBox* toneBox() const { return toneAll; }
    QComboBox* toneList() const { return tone; }
    QLabel* tickedLine() const { return ticked; }
    QDialogButtonBox* buttonBox() const { return buttons; }

private:
    void buildLayout();
    QWidget* buildPlacement();
    void fillPlans();
    // The chosen plan's facts and channels, the first channels there is room for ticked.
    void showPlan();
    QTreeWidgetItem* channelItem(const PlanChannel& c, const FrequencyLimits& limits);
    // The document the channels go into: the given one, or a new one of bandPosition().
    RadioDocument target() const;
    // Channels there is room for with the placement chosen now.
    int room() const;
    std::vector<int> picks() const;
    // A tick beyond the room is taken back; the count, OK and the preview follow.
    void onItemChanged(QTreeWidgetItem* item);
    void rerun();

    LangCatalog& texts;
    const std::vector<ChannelPlan>& all;
    const RadioDocument& document;
    const Mode mode;
    const std::vector<std::string> bandNames;
    std::vector<const ChannelPlan*> listed; // the plans of the list, in its order
    bool filling = false;                   // the list is being filled: no preview yet
    QComboBox* plans = nullptr;
    QCheckBox* otherBands = nullptr;
    QLabel* facts = nullptr;
    QLabel* band = nullptr;
    QTreeWidget* channels = nullptr;
    QRadioButton* intoFree = nullptr;
    QRadioButton* fromChannel = nullptr;
    QSpinBox* from = nullptr;
    QCheckBox* toneAll = nullptr;
    QComboBox* tone = nullptr;
    QLabel* ticked = nullptr;
    QPlainTextEdit* report = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

} // namespace orvik
