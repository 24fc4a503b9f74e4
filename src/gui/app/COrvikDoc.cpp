#include "gui/app/COrvikDoc.h"

#include "core/lang/LangKeys.h"
#include "core/lang/PlanKeys.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
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

// One step: the header and image before and after, and what the change touched, so that undo
// and redo redraw only that. Pushing it finds the document already changed, so the first redo
// does nothing.
class COrvikDoc::Step : public QUndoCommand {
public:
    Step(COrvikDoc& document, const Snapshot& beforeStep, const Snapshot& afterStep,
         const DocChange& what, const char* key)
        : QUndoCommand(QString::fromLatin1(key)), doc(document), before(beforeStep),
          after(afterStep), change(what), stepKey(key) {
        change.notes.clear();
    }
    void undo() override { doc.restore(before, change); }
    void redo() override {
        if (pushed)
            doc.restore(after, change);
        pushed = true;
    }
    const char* key() const { return stepKey; }

private:
    COrvikDoc& doc;
    Snapshot before;
    Snapshot after;
    DocChange change;
    const char* stepKey;
    bool pushed = false;
};

// The kinds of change, each its own command: a cell, a setting or the DTMF code, the band,
// channels as rows, CSV or pasted rows, and the whole image (a read, File New).
class COrvikDoc::CellStep : public Step {
    using Step::Step;
};
class COrvikDoc::SettingStep : public Step {
    using Step::Step;
};
class COrvikDoc::BandStep : public Step {
    using Step::Step;
};
class COrvikDoc::RowsStep : public Step {
    using Step::Step;
};
class COrvikDoc::CsvStep : public Step {
    using Step::Step;
};
class COrvikDoc::ImageStep : public Step {
    using Step::Step;
};
// Several channels at once: the same fields given, sorted, frequencies filled.
class COrvikDoc::BulkEditStep : public Step {
    using Step::Step;
};
class COrvikDoc::SortStep : public Step {
    using Step::Step;
};
class COrvikDoc::FillStep : public Step {
    using Step::Step;
};
// The channels of a channel plan.
class COrvikDoc::PlanStep : public Step {
    using Step::Step;
};

COrvikDoc::COrvikDoc()
    : watcher(std::make_unique<QFileSystemWatcher>()), steps(std::make_unique<QUndoStack>()),
      base(std::make_unique<Snapshot>()) {
    HeaderBlock header{};
    RadioImage image;
    orvik::clearContents(header, image);
    document.assign(header, image);
    rebase();
    // 8 KB a step: the oldest steps go after a long session.
    steps->setUndoLimit(1000);
    // Undo and redo move to and from the saved state.
    connect(steps.get(), &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (!recording)
            SetModifiedFlag(!clean);
    });
    // The folder too: a file deleted and written anew is seen when it comes back.
    connect(watcher.get(), &QFileSystemWatcher::fileChanged, this, &COrvikDoc::checkDisk);
    connect(watcher.get(), &QFileSystemWatcher::directoryChanged, this, &COrvikDoc::checkDisk);
}

COrvikDoc::~COrvikDoc() = default;

void COrvikDoc::rebase() {
    base->header = document.header();
    base->image = document.image();
}

void COrvikDoc::restore(const Snapshot& state, const DocChange& change) {
    document.assign(state.header, state.image);
    rebase();
    if (change.whole)
        RefreshAfterImageChange();
    else
        emit documentChanged(change);
}

DocChange COrvikDoc::record(StepKind kind, const char* stepKey, DocChange change) {
    const bool changed = !(document.image() == base->image) || document.header() != base->header;
    if (!changed) {
        if (change.modified)
            SetModifiedFlag(true);
        return change;
    }
    const bool wasModified = modified;
    const bool wasClean = steps->isClean();
    const Snapshot before = *base;
    rebase();
    Step* step = nullptr;
    switch (kind) {
    case StepKind::Cell:
        step = new CellStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::Setting:
        step = new SettingStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::Band:
        step = new BandStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::Rows:
        step = new RowsStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::Csv:
        step = new CsvStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::Image:
        step = new ImageStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::BulkEdit:
        step = new BulkEditStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::Sort:
        step = new SortStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::Fill:
        step = new FillStep(*this, before, *base, change, stepKey);
        break;
    case StepKind::Plan:
        step = new PlanStep(*this, before, *base, change, stepKey);
        break;
    }
    recording = true;
    steps->push(step);
    // A change that does not mark the document modified keeps the saved state where it is.
    if (!change.modified && !wasModified && wasClean)
        steps->setClean();
    recording = false;
    SetModifiedFlag(wasModified || change.modified);
    return change;
}

void COrvikDoc::EndStep(const char* stepKey, bool marksModified) {
    DocChange change;
    change.whole = true;
    change.modified = marksModified;
    record(StepKind::Image, stepKey, change);
}

DocChange COrvikDoc::CommitCell(int channel, int column, const std::string& text,
                                const CellTexts& texts, const char* stepKey) {
    DocChange change = document.commitCell(channel, column, text, texts);
    if (change.refused)
        return change;
    return record(StepKind::Cell, stepKey, std::move(change));
}

DocChange COrvikDoc::ChooseOption(int channel, int column, int position) {
    // Choosing from the list marks the document modified even when the value stays.
    DocChange change = document.chooseOption(channel, column, position);
    if (change.refused)
        return change;
    change.modified = true;
    return record(StepKind::Cell, lang::IDS_STEP_CELL, std::move(change));
}

DocChange COrvikDoc::SetSetting(SettingId id, int value) {
    return record(StepKind::Setting, lang::IDS_STEP_SETTING, document.setSetting(id, value));
}

DocChange COrvikDoc::SetDtmf(const std::string& text) {
    DocChange change = document.setDtmf(text);
    return change.modified ? record(StepKind::Setting, lang::IDS_STEP_SETTING, change) : change;
}

DocChange COrvikDoc::SetBand(int position) {
    DocChange change = document.setBand(position);
    if (change.whole)
        shortFileBytes = 0;
    // The band list was confirmed: the document is modified even when the position stayed.
    change.modified = true;
    return record(StepKind::Band, lang::IDS_STEP_BAND, std::move(change));
}

DocChange COrvikDoc::ClearChannels(std::span<const int> channels, const char* stepKey) {
    return record(StepKind::Rows, stepKey, document.clearChannels(channels));
}

DocChange COrvikDoc::InsertChannel(int channel) {
    return record(StepKind::Rows, lang::IDS_STEP_INSERT, document.insertChannel(channel));
}

DocChange COrvikDoc::MoveChannels(int first, int last, int delta) {
    return record(StepKind::Rows, lang::IDS_STEP_MOVE, document.moveChannels(first, last, delta));
}

DocChange COrvikDoc::ReplaceImage(const RadioImage& image, const char* stepKey,
                                  bool marksModified) {
    DocChange change = document.assignImage(image);
    change.modified = marksModified;
    shortFileBytes = 0;
    return record(StepKind::Image, stepKey, std::move(change));
}

DocChange COrvikDoc::ApplyCsv(std::string_view text, const CsvImportOptions& options,
                              CsvImportResult& result, const char* stepKey) {
    DocChange change = document.applyCsv(text, options, result);
    if (!result.usable)
        return change;
    return record(StepKind::Csv, stepKey, std::move(change));
}

DocChange COrvikDoc::ApplyPlan(const ChannelPlan& plan, const PlanApplyOptions& options,
                               PlanApplyResult& result) {
    DocChange change = orvik::ApplyPlan(document, plan, options, result);
    if (!result.import.usable)
        return change;
    return record(StepKind::Plan, lang::IDS_STEP_PLAN, std::move(change));
}

DocChange COrvikDoc::EditChannels(std::span<const int> channels, const ChannelEdit& edit,
                                  const CellTexts& texts) {
    return record(StepKind::BulkEdit, lang::IDS_STEP_EDIT_CHANNELS,
                  document.editChannels(channels, edit, texts));
}

DocChange COrvikDoc::SortChannels(SortKey key) {
    return record(StepKind::Sort, lang::IDS_STEP_SORT, document.sortChannels(key));
}

DocChange COrvikDoc::FillFrequencies(std::span<const int> channels, const FrequencyFill& fill) {
    return record(StepKind::Fill, lang::IDS_STEP_FILL, document.fillFrequencies(channels, fill));
}

void COrvikDoc::ForgetSteps() {
    recording = true;
    steps->clear();
    recording = false;
    rebase();
}

const char* COrvikDoc::UndoStepKey() const {
    const int i = steps->index();
    return i > 0 ? static_cast<const Step*>(steps->command(i - 1))->key() : nullptr;
}

const char* COrvikDoc::RedoStepKey() const {
    const int i = steps->index();
    return i < steps->count() ? static_cast<const Step*>(steps->command(i))->key() : nullptr;
}

void COrvikDoc::SetModifiedFlag(bool value) {
    if (modified == value)
        return;
    modified = value;
    emit modifiedChanged(modified);
}

void COrvikDoc::clearContents() {
    HeaderBlock header = document.header();
    RadioImage image;
    orvik::clearContents(header, image);
    document.assign(header, image);
}

void COrvikDoc::UpdateAllViews() {
    emit viewsUpdateRequested();
}

void COrvikDoc::RefreshAfterImageChange() {
    UpdateAllViews();
}

void COrvikDoc::resetToDefault() {
    shortFileBytes = 0;
    clearContents();
    SetModifiedFlag(false);
    setPath(QString());
    FrequencyLimits limits{};
    document.rawImage().selectBand(DefaultBandPosition, limits);
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
    HeaderBlock header = document.header();
    RadioImage image = document.image();
    const std::string file = QFile::encodeName(fileName).toStdString();
    // Taken before reading: a change made while reading shows as a change later.
    const FileIdentity state = IdentityOf(file);
    result.status = LoadDataFile(file, header, image, &result.error, &result.bytesRead);
    document.assign(header, image);
    shortFileBytes = 0;
    switch (result.status) {
    case LoadStatus::CannotRead:
        // Nothing of the file was taken: back to the default image.
        resetToDefault();
        break;
    case LoadStatus::HeaderRejected:
        SetModifiedFlag(false);
        setPath(QString());
        break;
    case LoadStatus::Ok:
        setPath(QFileInfo(fileName).absoluteFilePath(), state);
        SetModifiedFlag(false);
        shortFileBytes = result.bytesRead < DataFileSize ? result.bytesRead : 0;
        break;
    }
    // Another file: nothing of the one before can be taken back into it.
    ForgetSteps();
    UpdateAllViews();
    return result;
}

SaveResult COrvikDoc::DoSave(const QString& fileName) {
    const SaveResult result = SaveDataFile(QFile::encodeName(fileName).toStdString(),
                                           document.header(), document.image(), SaveMode::Replace);
    if (result.ok) {
        const QString saved = QFileInfo(fileName).absoluteFilePath();
        setPath(saved, IdentityOf(QFile::encodeName(saved).toStdString()));
        markSaved();
    }
    return result;
}

void COrvikDoc::markSaved() {
    recording = true;
    steps->setClean();
    recording = false;
    SetModifiedFlag(false);
}

void COrvikDoc::setPath(const QString& fileName, const FileIdentity& state) {
    const bool changed = fileName != path || !copyTitle.isEmpty();
    path = fileName;
    copyTitle.clear();
    known = state;
    reported = state;
    if (!watcher->files().isEmpty())
        watcher->removePaths(watcher->files());
    if (!watcher->directories().isEmpty())
        watcher->removePaths(watcher->directories());
    if (!path.isEmpty()) {
        watcher->addPath(path);
        watcher->addPath(QFileInfo(path).absolutePath());
    }
    if (changed)
        emit pathNameChanged();
}

void COrvikDoc::DetachAsCopy(const QString& title) {
    setPath(QString());
    copyTitle = title;
    emit pathNameChanged();
}

bool COrvikDoc::ChangedOnDisk() const {
    if (path.isEmpty() || !known.exists)
        return false;
    const FileIdentity now = IdentityOf(QFile::encodeName(path).toStdString());
    return now.exists && !(now == known);
}

void COrvikDoc::checkDisk() {
    if (path.isEmpty())
        return;
    const FileIdentity now = IdentityOf(QFile::encodeName(path).toStdString());
    if (!now.exists)
        return;
    if (!watcher->files().contains(path))
        watcher->addPath(path);
    if (now == known || now == reported)
        return;
    reported = now;
    emit changedOnDisk();
}

COrvikDoc::OpenResult COrvikDoc::ReloadFromDisk() {
    OpenResult result;
    const std::string file = QFile::encodeName(path).toStdString();
    const FileIdentity state = IdentityOf(file);
    HeaderBlock header{};
    RadioImage image;
    result.status = path.isEmpty()
                        ? LoadStatus::CannotRead
                        : LoadDataFile(file, header, image, &result.error, &result.bytesRead);
    if (result.status != LoadStatus::Ok)
        return result;
    document.assign(header, image);
    shortFileBytes = result.bytesRead < DataFileSize ? result.bytesRead : 0;
    known = state;
    reported = state;
    // One step: undo gives back the document as it was before the reload.
    EndStep(lang::IDS_STEP_RELOAD, false);
    markSaved();
    UpdateAllViews();
    return result;
}

} // namespace orvik
