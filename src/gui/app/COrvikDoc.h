#pragma once
// The one document: the 48-byte header block of the data file, the radio image and the
// frequency limits of its band, with File New, Open and Save. It asks nothing: every outcome is
// a return value or a signal, and the main frame asks the user.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"

#include <QObject>
#include <QString>

#include <string>

namespace orvik {

class COrvikDoc : public QObject {
    Q_OBJECT
public:
    COrvikDoc();

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
    void resetToDefault();

    FrequencyLimits frequencyLimits{40000000, 47000000};
    HeaderBlock headerBlock{};
    RadioImage radioImage;
    bool modified = false;
    QString path;
};

} // namespace orvik
