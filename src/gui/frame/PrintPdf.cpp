#include "gui/frame/PrintPdf.h"

#include "core/profile/AppPaths.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/frame/CMainFrame.h"
#include "gui/views/COrvikView.h"
#include "gui/views/ChannelPrint.h"

#include <cstdio>

namespace orvik {

namespace {

// Exit statuses of the sysexits convention.
constexpr int kExitOk = 0;
constexpr int kExitDataErr = 65;
constexpr int kExitNoInput = 66;
constexpr int kExitCantCreate = 73;
constexpr int kExitConfig = 78;

// Messages go to stderr instead of boxes; every question is answered with OK.
class StderrMessages {
public:
    StderrMessages() {
        SetMessageBoxHook([](const MessageRecord& record) {
            const QByteArray caption = record.caption.toLocal8Bit();
            const QByteArray text = record.text.toLocal8Bit();
            std::fprintf(stderr, "orvik: %s: %s\n", caption.constData(), text.constData());
            return int(MsgOk);
        });
    }
    ~StderrMessages() { SetMessageBoxHook({}); }
    StderrMessages(const StderrMessages&) = delete;
    StderrMessages& operator=(const StderrMessages&) = delete;
};

} // namespace

int PrintDataFileToPdf(const AppPaths& paths, const QString& dataFile, const QString& pdfFile) {
    if (!paths.PrepareSettingsFile()) {
        std::fprintf(stderr, "orvik: cannot find setting.ini in");
        for (const std::string& folder : paths.SearchedFolders())
            std::fprintf(stderr, " %s", folder.c_str());
        std::fprintf(stderr, "\n");
        return kExitConfig;
    }

    const StderrMessages messages;
    COrvikApp app(paths);
    if (!app.InitInstance())
        return kExitConfig;
    CMainFrame frame(app);
    frame.SetRecentFilesRecorded(false);
    // An unreadable file ends start-up after its message.
    if (!frame.Start(dataFile, false))
        return kExitNoInput;
    // A file that is not ours is shown as a cleared image and never becomes the document's path;
    // nothing of it is printed.
    if (app.document()->PathName().isEmpty())
        return kExitDataErr;

    COrvikView* view = frame.view();
    ChannelPrinter printer(app.catalog());
    printer.SetSources(view->form(), view->grid(),
                       [view](int controlId) { return view->checkValue(controlId); });
    if (!printer.PrintToPdf(pdfFile)) {
        const QByteArray name = pdfFile.toLocal8Bit();
        std::fprintf(stderr, "orvik: cannot write %s\n", name.constData());
        return kExitCantCreate;
    }
    return kExitOk;
}

} // namespace orvik
