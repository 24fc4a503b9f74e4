#include "gui/app/COrvikDoc.h"

#include <QFile>
#include <QFileInfo>

namespace orvik {

namespace {
// List position of the band a new document starts with (400 to 470 MHz).
constexpr int DefaultBandPosition = 2;
} // namespace

COrvikDoc::COrvikDoc() {
    orvik::clearContents(headerBlock, radioImage);
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
    resetToDefault();
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
    UpdateAllViews();
    return result;
}

SaveResult COrvikDoc::DoSave(const QString& fileName) {
    const SaveResult result = SaveDataFile(QFile::encodeName(fileName).toStdString(), headerBlock,
                                           radioImage, SaveMode::Replace);
    if (result.ok) {
        path = QFileInfo(fileName).absoluteFilePath();
        SetModifiedFlag(false);
    }
    return result;
}

} // namespace orvik
