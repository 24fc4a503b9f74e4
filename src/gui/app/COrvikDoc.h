#pragma once
// The one document: the 48-byte header block of the data file, the radio image and the
// frequency limits of its band, with File New, Open and Save. It asks nothing: every outcome is
// a return value or a signal, and the main frame asks the user.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QUndoStack;

namespace orvik {

class COrvikDoc : public QObject {
    Q_OBJECT
public:
    COrvikDoc();
    ~COrvikDoc() override;

    RadioImage& image() { return radioImage; }
    const RadioImage& image() const { return radioImage; }
    HeaderBlock& header() { return headerBlock; }
    FrequencyLimits& limits() { return frequencyLimits; }
    const FrequencyLimits& limits() const { return frequencyLimits; }

    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool value = true);
    // The file the document belongs to (absolute); empty when untitled.
    QString PathName() const { return path; }

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
    void RecomputeLimits();
    // The one refresh after the whole image changed (a read, a band change, a language
    // switch): limits recomputed from the band code, every view redrawn.
    void RefreshAfterImageChange();
    void UpdateAllViews();

signals:
    void viewsUpdateRequested();
    void modifiedChanged(bool modified);

private:
    struct Snapshot;
    class ImageStep;
    void resetToDefault();
    // Takes back or redoes a step: the image and header of `state`, every view redrawn.
    void restore(const Snapshot& state);
    // The next step's starting point is the image as it is now (no step recorded).
    void rebase();

    FrequencyLimits frequencyLimits{40000000, 47000000};
    HeaderBlock headerBlock{};
    RadioImage radioImage;
    bool modified = false;
    QString path;
    std::unique_ptr<QUndoStack> steps;
    std::unique_ptr<Snapshot> base; // the image as the last step left it
    bool recording = false;         // a step is being pushed: its clean change is not news
    bool newDone = false;           // the first File New has run
};

} // namespace orvik
