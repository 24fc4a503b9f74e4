#pragma once
// The form view (form 101): the settings panel above the channel table. Every control writes
// its field of the document's image at once and marks the document modified; a refresh
// rebuilds every list, value, header and cell from the image. The channel table is a grid that
// only displays text; its cells are edited by three in-place editors laid over the cell.

#include "core/model/EditRules.h"
#include "core/model/RadioDocument.h"
#include "gui/views/InPlaceEditor.h"

#include <QRect>
#include <QScrollArea>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace orvik {

class AppPaths;
class LangCatalog;
class COrvikDoc;
class CGridCtrl;
class ChannelPrinter;
class DtmfEdit;
class FreqEdit;
class OptionList;
class ToneList;
struct GridNotify;

class COrvikView : public QScrollArea {
    Q_OBJECT
public:
    // Texts come from `catalog`, the band names from the settings file of `paths`.
    COrvikView(LangCatalog& catalog, const AppPaths& paths, COrvikDoc& doc, QWidget* parent);
    ~COrvikView() override;

    // Once after the window exists: refresh, fit the window to the form, make the grid the owner
    // of the in-place editors.
    void OnInitialUpdate();
    // The update hook: rebuilds the panel and the table from the image. An edit still open in
    // the table belongs to the image being replaced and is dropped.
    void OnUpdate();
    // The window size that shows the whole form: `window` less the `spare` room of the view
    // (negative where the form is larger), grown no further than `available` (the screen's free
    // area; a window already larger keeps its size), shrunk always.
    static QSize FittedWindowSize(QSize window, QSize spare, QSize available);

    // Ends an edit still open in the table as its focus loss would: stored through the commit
    // rules (the window does this before it asks whether to save).
    void endOpenEdit();

    void OnFilePrint(bool direct);
    void OnFilePrintPreview();
    void OnFilePrintSetup();

    // The form holding every control, each tagged with its id (SetControlId).
    QWidget* form() const { return formWidget; }
    CGridCtrl* grid() const { return channelGrid; }
    // The check-box member of a check-box control id (1 = checked); -1 for any other id.
    int checkValue(int controlId) const;
    // The text a control of the form shows (a list: its selected entry); empty when unknown.
    QString controlText(int controlId) const;
    // The control of the form with this id, or null.
    QWidget* control(int controlId) const;

    FreqEdit* freqEditor() const { return freqEdit; }
    ToneList* toneEditor() const { return toneList; }
    OptionList* optionEditor() const { return optionList; }
    DtmfEdit* dtmfEditor() const { return dtmfEdit; }

    // The cell being edited.
    int editRow = 0;
    int editColumn = 0;

    // The check-box members (1 = checked), exchanged with the check boxes: set from the image
    // at every refresh, read back from all six boxes when one is clicked.
    int beep = 0;
    int batterySave = 0;
    int fmRadioFunction = 0;
    int scanFunction = 0;
    int voiceFunction = 0;
    int voxFunction = 0;

    // ---- channel table
    // Sets the grid up on first use and fills the header and all 16 channel rows.
    void FillChannelTable();
    // The width a column needs to show its heading in bold (as the focus cell's column does).
    static int HeadingWidth(const CGridCtrl& grid, int column);
    // Recomputes the read-only states of row n (1..16) and rewrites its nine data cells.
    void RefreshChannelRow(int n);

    // ---- channels as rows (Edit menu, context menu, editing keys of the table)
    // The channels the Edit commands work on: the rows whose cells are all selected, in order;
    // empty when the selection is a single cell or none (then the focus cell is meant).
    std::vector<int> selectedChannels() const;
    // The focus cell's channel, else the first selected row's; 0 when none.
    int currentChannel() const;
    // Copy: the selected channels as tab-separated text with a header line; without whole
    // rows, the focus cell's text.
    void CopySelection();
    // Cut: copy, then the selected channels (or the focus cell) cleared.
    void CutSelection();
    // Paste: channel rows from the focus channel down, each through the commit rules, what was
    // adjusted reported once; a single value goes into the focus cell as if typed.
    void PasteClipboard();
    // Delete: the selected channels cleared, or the focus cell cleared as typing an empty
    // value would.
    void DeleteSelection();
    // Insert an empty channel at the current one; the channels below move down and channel
    // 16 drops off (asked first when it is in use).
    void InsertChannel();
    // Moves the selected channels (or the current one) one place up (-1) or down (+1).
    void MoveSelection(int delta);
    // Whether the Edit commands have something to work on now.
    bool hasCurrentChannel() const { return currentChannel() > 0; }

    // ---- several channels at once (Edit menu; COrvikViewCommands.cpp)
    // Every channel row selected.
    void SelectAll();
    // Edit Selected Channels: the dialog, then the ticked fields given to the selected channels
    // (or the current one) as one step; what was adjusted or how many changed in the status bar.
    void EditSelectedChannels();
    // The 16 channels sorted by the key as one step.
    void SortChannels(SortKey key);
    // Fill Frequencies: the dialog, then the selected channels (or the current one on) filled.
    void FillFrequencies();
    // Find: asks for a frequency or tone text and goes to the first cell after the focus cell
    // that holds it; FindNext goes to the next one (asking first when nothing was sought yet).
    void Find();
    void FindNext();
    // The text Find looks for; empty before the first search.
    QString findText() const { return sought; }
    // The settings the panel hides by default (side key 2, the FM radio frequency, the DTMF
    // code) shown with their editors, or hidden again.
    void ShowAllSettings(bool shown);
    bool allSettingsShown() const { return allSettings; }

signals:
    // A short message for the status bar: what a commit or paste adjusted.
    void statusMessage(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Editor { None, Freq, Tone, Option };
    // A check box and the member that mirrors it.
    struct CheckBinding {
        int id;
        QCheckBox* box;
        int* value;
    };

    // The settings panel's controls at their places, then the channel table with its editors.
    void buildForm();
    void buildTable();
    // The controls' signals to their handlers.
    void connectControls();
    QLabel* addLabel(int id, const char* caption, int x, int y, int w, int h);
    QComboBox* addList(int id, int x, int y, int w, int h);
    QCheckBox* addCheck(int id, const char* caption, int x, int y, int w, int h);
    void hideControl(QWidget* w);
    // The form's smallest size shows the panel and the whole table; the table fills the form
    // below the panel at any larger size.
    void fitFormToTable();
    void placeTable();
    // Makes room for the texts of the current language, starting from the placed geometry:
    // labels too long for their place move the lists of their column to the right as far as the
    // next control allows, then narrow those lists down to their content; a label that still
    // does not fit wraps (and names its whole text in a tool tip). Check boxes widen to their
    // text within the form, or name it in a tool tip.
    void fitFormTexts();

    // Refresh steps.
    void fillLists();
    void fillToneList();
    void readCheckValues();
    void pushCheckValues();

    // Handlers of the settings panel.
    void onCheckClicked(int id);
    void onListChanged(int id, int position);
    void onBandChanged(int position);
    void onDtmfFocusLost();

    // Handlers of the channel table.
    void OnBeginEdit(const GridNotify& record);
    void onFreqEditFocusLost();
    void onToneListFocusLost();
    void onOptionChosen(int position);
    void onOptionListFocusLost();
    bool onEditingKey(const QKeyEvent* key);
    // After a commit ended by Enter or Tab: the grid's focus moves on from row n, column c.
    void moveFocusAfterEdit(int n, int column);
    // Reports what a commit adjusted in the status bar and flashes the cell.
    void reportAdjusted(const DocChange& change);
    // After a change of several channels: the first adjusted value (and how many more) in the
    // status bar, each adjusted cell flashed; else `summary` when it is not empty.
    void reportNotes(const DocChange& change, const QString& summary);
    // The channels a command on several channels works on: the selected rows, else the
    // current channel.
    std::vector<int> commandChannels() const;
    // The first cell after row, column (wrapping) whose text holds `text`; (0, 0) when none.
    std::pair<int, int> findCell(const QString& text, int row, int column) const;
    void flashCell(int n, int column);
    // A cell's value replaced by `text` through the commit rules, as the step `stepKey`; false
    // when the cell takes no text (read-only, the channel column).
    bool commitCellText(int n, int column, const std::string& text, const char* stepKey);
    // Redraws what a change touched: the settings panel, the channel rows, or everything.
    void refreshChanged(const DocChange& change);
    // Hides and disables the three editors; an edit still open ends without being stored.
    void hideEditors();
    void showEditor(QWidget* editor, const QRect& cellInForm);

    CellTexts cellTexts() const;
    void refreshRow(int n, const CellTexts& texts);
    void writeCell(int n, int column, const CellTexts& texts);

    LangCatalog& catalog;
    const AppPaths& paths;
    COrvikDoc& doc;
    QWidget* formWidget = nullptr;
    // Every shown control of the form with the geometry it was placed at.
    std::vector<std::pair<QWidget*, QRect>> placedGeometry;
    CGridCtrl* channelGrid = nullptr;
    FreqEdit* freqEdit = nullptr;
    ToneList* toneList = nullptr;
    OptionList* optionList = nullptr;
    DtmfEdit* dtmfEdit = nullptr;
    QComboBox* bandList = nullptr;
    QComboBox* voiceList = nullptr;
    QComboBox* squelchList = nullptr;
    QComboBox* sideKey1List = nullptr;
    QComboBox* sideKey2List = nullptr;
    QComboBox* timeOutList = nullptr;
    QComboBox* voxLevelList = nullptr;
    QComboBox* scanModeList = nullptr;
    QComboBox* fmFreqList = nullptr;
    CheckBinding checks[6]{};
    Editor activeEditor = Editor::None;
    std::optional<EditorMove> pendingMove; // the key that ends the edit now open
    std::unique_ptr<ChannelPrinter> printer;
    QString sought;           // the text of the last Find
    bool allSettings = false; // View > All Settings
};

} // namespace orvik
