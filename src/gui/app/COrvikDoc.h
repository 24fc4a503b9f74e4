#pragma once
// The one document of the window: the core document (header block, radio image, the limits of
// its band) with File New, Open and Save, and every change as one undo step. It watches its file
// on disk and knows the state it read or saved. It asks nothing: every outcome is a return value
// or a signal, and the main frame asks the user.

#include "core/lang/LangKeys.h"
#include "core/model/ChannelPlan.h"
#include "core/model/DataFile.h"
#include "core/model/FileIdentity.h"
#include "core/model/RadioDocument.h"
#include "core/model/RadioImage.h"

#include <QObject>
#include <QString>

#include <memory>
#include <span>
#include <string>
#include <string_view>

class QFileSystemWatcher;
class QUndoStack;

namespace orvik {

class COrvikDoc : public QObject {
    Q_OBJECT
public:
    COrvikDoc();
    ~COrvikDoc() override;

    const RadioDocument& data() const { return document; }
    const RadioImage& image() const { return document.image(); }
    // The image's bytes for a caller that changes them itself and then ends the change as a
    // step with EndStep (a completed read, a test setting up a state).
    RadioImage& image() { return document.rawImage(); }
    const HeaderBlock& header() const { return document.header(); }
    // The limits of the image's band, always current.
    FrequencyLimits limits() const { return document.limits(); }

    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool value = true);
    // The file the document belongs to (absolute); empty when untitled.
    QString PathName() const { return path; }
    // The title of an untitled copy of a file that must not be saved over (a backup: "Backup
    // 2026-12-09 00:59, read"); empty otherwise.
    QString CopyTitle() const { return copyTitle; }
    // The bytes the data file held when the image came from a file shorter than a data file
    // (the rest is 0xFF); 0 otherwise. Kept until the image is replaced (New, Open, a read, a
    // band change), so that a write asks first.
    std::size_t ShortFileBytes() const { return shortFileBytes; }
    // Makes the document an untitled copy called `title`, so Save asks for a name; its file is
    // no longer watched. Opening, saving and File New end the copy.
    void DetachAsCopy(const QString& title);

    // File New: the default image, unmodified and untitled. The caller has asked first.
    void OnNewDocument();

    struct OpenResult {
        LoadStatus status = LoadStatus::Ok;
        std::string error;         // the system's reason when the file could not be read
        std::size_t bytesRead = 0; // of the 4144 bytes a data file has
    };
    // Reads a data file. Ok: the file's header and image, its path adopted. HeaderRejected: the
    // cleared image is shown untitled, so a later Save cannot overwrite a file that is not ours.
    // CannotRead: back to the default image, untitled. Unmodified in every case; the views are
    // redrawn.
    OpenResult OnOpenDocument(const QString& fileName);
    // Writes the data file and adopts its path. On failure (result.ok false, with the reason)
    // the document stays as it was; result.ownerChanged tells that the file's old owner could
    // not be kept.
    SaveResult DoSave(const QString& fileName);

    // ---- the file on disk
    // Whether another program changed the document's file since the document opened or last
    // saved it (its device, inode, size or modification time differ). False when untitled or
    // when the file is gone (nothing would be overwritten).
    bool ChangedOnDisk() const;
    // Reads the document's file again, as one undo step; the document is then unmodified and
    // knows the file as it is now. Any status but Ok leaves the document as it was.
    OpenResult ReloadFromDisk();

    // ---- changes
    // Each runs one operation of the core document as one undo step named by `stepKey` and
    // returns what changed; the caller redraws that. Undo and redo announce what they change
    // with documentChanged.
    // `texts`: the cell words of the current language.
    DocChange CommitCell(int channel, int column, const std::string& text, const CellTexts& texts,
                         const char* stepKey = lang::IDS_STEP_CELL);
    DocChange ChooseOption(int channel, int column, int position);
    DocChange SetSetting(SettingId id, int value);
    DocChange SetDtmf(const std::string& text);
    DocChange SetBand(int position);
    DocChange ClearChannels(std::span<const int> channels, const char* stepKey);
    DocChange InsertChannel(int channel);
    DocChange MoveChannels(int first, int last, int delta);
    // The image replaced as a whole (a read from the radio); `marksModified` as EndStep takes it.
    DocChange ReplaceImage(const RadioImage& image, const char* stepKey, bool marksModified);
    DocChange ApplyCsv(std::string_view text, const CsvImportOptions& options,
                       CsvImportResult& result, const char* stepKey);
    // The picked channels of a plan through the import rules (ApplyPlan); `plan` outlives
    // `result`.
    DocChange ApplyPlan(const ChannelPlan& plan, const PlanApplyOptions& options,
                        PlanApplyResult& result);
    // Several channels at once, each one step: the same fields given to `channels`, the
    // channels sorted, frequencies filled in steps.
    DocChange EditChannels(std::span<const int> channels, const ChannelEdit& edit,
                           const CellTexts& texts);
    DocChange SortChannels(SortKey key);
    DocChange FillFrequencies(std::span<const int> channels, const FrequencyFill& fill);

    // ---- undo
    // Every change of the image (and header) is one step of this stack, keeping the bytes
    // before and after. Its clean index is the saved state: opening a file empties it, saving
    // marks the point, and undoing back to it clears the modified flag.
    QUndoStack* undoStack() const { return steps.get(); }
    // Ends a change of the image as one undoable step named by the language key `stepKey`.
    // `marksModified` is what the edit rule said: a change that does not mark the document
    // modified (a completed read, a rounding) keeps an unmodified document unmodified. Nothing
    // changed: no step, only the modified flag as asked.
    void EndStep(const char* stepKey, bool marksModified = true);
    // Empties the stack: the image as it is now is the starting point, and the saved state
    // (a file opened).
    void ForgetSteps();
    // The language key of the step Undo (or Redo) would take back; null when none.
    const char* UndoStepKey() const;
    const char* RedoStepKey() const;

    void clearContents();
    // The limits follow the band code by themselves; kept for the refresh after a read.
    void RecomputeLimits() {}
    // The one refresh after the whole image changed (a read, a band change, a language
    // switch): limits recomputed from the band code, every view redrawn.
    void RefreshAfterImageChange();
    void UpdateAllViews();

signals:
    void viewsUpdateRequested();
    // An undo or redo changed what `change` names (a whole change also asks for a full update).
    void documentChanged(const orvik::DocChange& change);
    void modifiedChanged(bool modified);
    // PathName or CopyTitle changed.
    void pathNameChanged();
    // The document's file was changed on disk by someone else; once for each new state of it.
    void changedOnDisk();

private:
    struct Snapshot;
    class Step;
    class CellStep;
    class SettingStep;
    class BandStep;
    class RowsStep;
    class CsvStep;
    class ImageStep;
    class BulkEditStep;
    class SortStep;
    class FillStep;
    class PlanStep;
    enum class StepKind { Cell, Setting, Band, Rows, Csv, Image, BulkEdit, Sort, Fill, Plan };
    void resetToDefault();
    // Takes back or redoes a step: the image and header of `state`; the views hear what changed.
    void restore(const Snapshot& state, const DocChange& change);
    // The next step's starting point is the image as it is now (no step recorded).
    void rebase();
    // Records the change an operation made as a step of its kind.
    DocChange record(StepKind kind, const char* stepKey, DocChange change);
    // The document now belongs to `fileName` (empty: untitled), whose state on disk is `state`;
    // the watch follows.
    void setPath(const QString& fileName, const FileIdentity& state = {});
    // The image as it is now is the saved state.
    void markSaved();
    // After a change in the watched file or its folder: re-arms the watch on the file (a save
    // by rename replaced it) and reports a state of the file not seen before.
    void checkDisk();

    std::size_t shortFileBytes = 0;
    RadioDocument document;
    bool modified = false;
    QString path;
    QString copyTitle;
    FileIdentity known;    // the file as the document read or saved it
    FileIdentity reported; // the last state changedOnDisk announced
    std::unique_ptr<QFileSystemWatcher> watcher;
    std::unique_ptr<QUndoStack> steps;
    std::unique_ptr<Snapshot> base; // the image as the last step left it
    bool recording = false;         // a step is being pushed: its clean change is not news
    bool newDone = false;           // the first File New has run
};

} // namespace orvik
