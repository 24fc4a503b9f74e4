#pragma once
// The one document: the 48-byte header block of the data file, the radio image and the
// frequency limits of its band, with File New, Open, Save and Save As.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"

#include <QObject>
#include <QString>

namespace orvik {

class COrvikApp;

class COrvikDoc : public QObject {
    Q_OBJECT
public:
    explicit COrvikDoc(COrvikApp& app);

    RadioImage& image() { return radioImage; }
    const RadioImage& image() const { return radioImage; }
    HeaderBlock& header() { return headerBlock; }
    FrequencyLimits& limits() { return frequencyLimits; }
    const FrequencyLimits& limits() const { return frequencyLimits; }

    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool value = true);
    QString PathName() const { return path; }
    // The name shown in questions: the file name, or the untitled text.
    QString Title() const;

    // File New: asks "IDS_WARN_CLEAR" unless the application's skipClearPrompt is set (then
    // cleared); resets to the default image. False when the user cancelled.
    bool OnNewDocument();
    // The framework's open: clears, reads the file, adopts its path when the header is ours.
    // False when the file could not be read.
    bool OnOpenDocument(const QString& fileName);
    // File Save: asks "IDS_WARN_SAVE" + path before overwriting; Save As when untitled.
    bool OnFileSave();
    // File Save As: asks for the name, then saves.
    bool OnFileSaveAs();
    // Writes the file; on an error shows it with the path and leaves the document modified.
    bool DoSave(const QString& fileName);
    // The usual question before New, Open and Exit for a modified document. False to abort.
    bool SaveModified();

    void clearContents();
    void RecomputeLimits();
    // Recomputes the limits and asks every view to redraw from the image.
    void RefreshAfterImageChange();
    void UpdateAllViews();

signals:
    void viewsUpdateRequested();
    void modifiedChanged(bool modified);

private:
    COrvikApp& app;
    FrequencyLimits frequencyLimits{40000000, 47000000};
    HeaderBlock headerBlock{};
    RadioImage radioImage;
    bool modified = false;
    QString path;
};

} // namespace orvik
