#include "gui/app/COrvikDoc.h"

#include "gui/app/COrvikApp.h"
#include "gui/app/MessageBox.h"
#include "gui/frame/CMainFrame.h"
#include "gui/lang/LangUi.h"

#include <QDir>
#include <QFileInfo>

namespace orvik {

COrvikDoc::COrvikDoc(COrvikApp& application) : app(application) {
    orvik::clearContents(headerBlock, radioImage);
}

void COrvikDoc::SetModifiedFlag(bool value) {
    if (modified == value)
        return;
    modified = value;
    emit modifiedChanged(modified);
}

QString COrvikDoc::Title() const {
    return path.isEmpty() ? LangText("IDS_UNTITLED") : QFileInfo(path).fileName();
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

bool COrvikDoc::OnNewDocument() {
    if (app.skipClearPrompt) {
        app.skipClearPrompt = 0;
    } else if (ShowMessageBox(app.mainFrame(), LangText("IDS_WARN_CLEAR"), LangText("IDS_PROMPT"),
                              MsgButtons::OkCancel, MsgIcon::Exclamation) != MsgOk) {
        return false;
    }
    clearContents();
    SetModifiedFlag(false);
    path.clear();
    radioImage.selectBand(2, frequencyLimits);
    return true;
}

bool COrvikDoc::OnOpenDocument(const QString& fileName) {
    std::string error;
    const LoadStatus status =
        LoadDataFile(QFile::encodeName(fileName).toStdString(), headerBlock, radioImage, &error);
    RecomputeLimits();
    QWidget* owner = app.mainFrame();
    switch (status) {
    case LoadStatus::CannotRead:
        ShowMessageBox(owner,
                       LangText("IDS_ERROR_FILE_READ") + "\n" + QDir::toNativeSeparators(fileName) +
                           "\n" + QString::fromStdString(error),
                       LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Stop);
        // Nothing of the file was taken: back to the default image.
        clearContents();
        radioImage.selectBand(2, frequencyLimits);
        SetModifiedFlag(false);
        path.clear();
        UpdateAllViews();
        return false;
    case LoadStatus::HeaderRejected:
        ShowMessageBox(owner, LangText("IDS_WARN_LOAD"), LangText("IDS_WINDOWNAME"), MsgButtons::Ok,
                       MsgIcon::Stop);
        // The cleared image is shown, but a file that is not ours never becomes the document's
        // path, so a later Save cannot overwrite it.
        SetModifiedFlag(false);
        path.clear();
        UpdateAllViews();
        return true;
    case LoadStatus::Ok:
        break;
    }
    path = QFileInfo(fileName).absoluteFilePath();
    SetModifiedFlag(false);
    app.AddToRecentFiles(path);
    UpdateAllViews();
    return true;
}

bool COrvikDoc::OnFileSave() {
    if (path.isEmpty())
        return OnFileSaveAs();
    if (ShowMessageBox(app.mainFrame(), LangText("IDS_WARN_SAVE") + path, LangText("IDS_PROMPT"),
                       MsgButtons::OkCancel, MsgIcon::Exclamation) != MsgOk)
        return false;
    return DoSave(path);
}

bool COrvikDoc::OnFileSaveAs() {
    FileDialogRequest request;
    request.mode = FileDialogMode::Save;
    request.directory = path.isEmpty() ? QDir::homePath() : QFileInfo(path).absolutePath();
    request.suggestedName = path.isEmpty() ? QString() : QFileInfo(path).fileName();
    request.filters = QStringList{COrvikApp::FileFilter(), LangText("IDS_FILTER_ALL") + " (*)"};
    const QString name = AskFileName(app.mainFrame(), request);
    if (name.isEmpty())
        return false;
    return DoSave(name);
}

bool COrvikDoc::DoSave(const QString& fileName) {
    std::string error;
    if (!SaveDataFile(QFile::encodeName(fileName).toStdString(), headerBlock, radioImage, &error)) {
        ShowMessageBox(app.mainFrame(),
                       LangText("IDS_ERROR_FILE_WRITE") + "\n" +
                           QDir::toNativeSeparators(fileName) + "\n" +
                           QString::fromStdString(error),
                       LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    path = QFileInfo(fileName).absoluteFilePath();
    SetModifiedFlag(false);
    app.AddToRecentFiles(path);
    return true;
}

bool COrvikDoc::SaveModified() {
    if (!modified)
        return true;
    const int answer =
        ShowMessageBox(app.mainFrame(), LangText("IDS_ASK_SAVE") + " " + Title() + "?",
                       LangText("IDS_WINDOWNAME"), MsgButtons::YesNoCancel, MsgIcon::Exclamation);
    if (answer == MsgNo)
        return true;
    if (answer != MsgYes)
        return false;
    return path.isEmpty() ? OnFileSaveAs() : DoSave(path);
}

} // namespace orvik
