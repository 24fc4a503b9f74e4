#include "gui/app/COrvikDoc.h"

#include "core/lang/LangKeys.h"

#include <QFile>
#include <QFileInfo>
#include <QUndoStack>

namespace orvik {

namespace {
// List position of the band a new document starts with (400 to 470 MHz).
constexpr int DefaultBandPosition = 2;
} // namespace

struct COrvikDoc::Snapshot {
    HeaderBlock header{};
    RadioImage image;
};

// One step: the 4 KB image and the header before and after. Pushing it finds the document
// already changed, so the first redo does nothing.
class COrvikDoc::ImageStep : public QUndoCommand {
public:
    ImageStep(COrvikDoc& document, const Snapshot& beforeStep, const Snapshot& afterStep,
              const char* key)
        : QUndoCommand(QString::fromLatin1(key)), doc(document), before(beforeStep),
          after(afterStep), stepKey(key) {}
    void undo() override { doc.restore(before); }
    void redo() override {
        if (pushed)
            doc.restore(after);
        pushed = true;
    }
    const char* key() const { return stepKey; }

private:
    COrvikDoc& doc;
    Snapshot before;
    Snapshot after;
    const char* stepKey;
    bool pushed = false;
};

COrvikDoc::COrvikDoc() : steps(std::make_unique<QUndoStack>()), base(std::make_unique<Snapshot>()) {
    orvik::clearContents(headerBlock, radioImage);
    rebase();
    // 8 KB a step: the oldest steps go after a long session.
    steps->setUndoLimit(1000);
    // Undo and redo move to and from the saved state.
    connect(steps.get(), &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (!recording)
            SetModifiedFlag(!clean);
    });
}

COrvikDoc::~COrvikDoc() = default;

void COrvikDoc::rebase() {
    base->header = headerBlock;
    base->image = radioImage;
}

void COrvikDoc::restore(const Snapshot& state) {
    headerBlock = state.header;
    radioImage = state.image;
    rebase();
    RefreshAfterImageChange();
}

void COrvikDoc::EndStep(const char* stepKey, bool marksModified) {
    const bool changed = !(radioImage == base->image) || headerBlock != base->header;
    if (!changed) {
        if (marksModified)
            SetModifiedFlag(true);
        return;
    }
    const bool wasModified = modified;
    const bool wasClean = steps->isClean();
    const Snapshot before = *base;
    rebase();
    recording = true;
    steps->push(new ImageStep(*this, before, *base, stepKey));
    // A change that does not mark the document modified keeps the saved state where it is.
    if (!marksModified && !wasModified && wasClean)
        steps->setClean();
    recording = false;
    SetModifiedFlag(wasModified || marksModified);
}

void COrvikDoc::ForgetSteps() {
    recording = true;
    steps->clear();
    recording = false;
    rebase();
}

const char* COrvikDoc::UndoStepKey() const {
    const int i = steps->index();
    return i > 0 ? static_cast<const ImageStep*>(steps->command(i - 1))->key() : nullptr;
}

const char* COrvikDoc::RedoStepKey() const {
    const int i = steps->index();
    return i < steps->count() ? static_cast<const ImageStep*>(steps->command(i))->key() : nullptr;
}

void COrvikDoc::SetModifiedFlag(bool value) {
    if (modified == value)
        return;
    modified = value;
    emit modifiedChanged(modified);
}

void COrvikDoc::clearContents() {
    orvik::clearContents(headerBlock, radioImage);
}

void COrvikDoc::RecomputeLimits() {
    frequencyLimits = recomputeLimits(radioImage);
}

void COrvikDoc::UpdateAllViews() {
    emit viewsUpdateRequested();
}

void COrvikDoc::RefreshAfterImageChange() {
    RecomputeLimits();
    UpdateAllViews();
}

void COrvikDoc::resetToDefault() {
    clearContents();
    SetModifiedFlag(false);
    path.clear();
    radioImage.selectBand(DefaultBandPosition, frequencyLimits);
}

void COrvikDoc::OnNewDocument() {
    // The first File New only sets the starting point; a later one is a step to take back.
    const bool started = newDone;
    newDone = true;
    resetToDefault();
    if (!started) {
        rebase();
        return;
    }
    EndStep(lang::IDS_STEP_NEW, false);
    steps->setClean();
}

COrvikDoc::OpenResult COrvikDoc::OnOpenDocument(const QString& fileName) {
    OpenResult result;
    result.status = LoadDataFile(QFile::encodeName(fileName).toStdString(), headerBlock, radioImage,
                                 &result.error, &result.bytesRead);
    RecomputeLimits();
    switch (result.status) {
    case LoadStatus::CannotRead:
        // Nothing of the file was taken: back to the default image.
        resetToDefault();
        break;
    case LoadStatus::HeaderRejected:
        SetModifiedFlag(false);
        path.clear();
        break;
    case LoadStatus::Ok:
        path = QFileInfo(fileName).absoluteFilePath();
        SetModifiedFlag(false);
        break;
    }
    // Another file: nothing of the one before can be taken back into it.
    ForgetSteps();
    UpdateAllViews();
    return result;
}

SaveResult COrvikDoc::DoSave(const QString& fileName) {
    const SaveResult result = SaveDataFile(QFile::encodeName(fileName).toStdString(), headerBlock,
                                           radioImage, SaveMode::Replace);
    if (result.ok) {
        path = QFileInfo(fileName).absoluteFilePath();
        recording = true;
        steps->setClean();
        recording = false;
        SetModifiedFlag(false);
    }
    return result;
}

} // namespace orvik
