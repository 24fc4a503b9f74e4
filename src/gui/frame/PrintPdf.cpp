#include "gui/frame/PrintPdf.h"

#include "core/model/DataFile.h"
#include "core/profile/AppPaths.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/DataFileMessages.h"
#include "gui/app/MessageBox.h"
#include "gui/views/ChannelPrint.h"

#include <QFile>

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
    // The program's start-up without a window: setting.ini, the language. The recent-file list
    // is left alone.
    COrvikApp app(paths);
    if (!app.InitInstance())
        return kExitConfig;
    HeaderBlock header{};
    RadioImage image;
    std::string error;
    std::size_t bytesRead = 0;
    const LoadStatus status =
        LoadDataFile(QFile::encodeName(dataFile).toStdString(), header, image, &error, &bytesRead);
    // The messages of opening the file in the window, in the same order.
    if (!ReportDataFileRejected(nullptr, app.catalog(), dataFile, status, error))
        ReportShortDataFile(nullptr, app.catalog(), dataFile, bytesRead);
    app.ReportLanguageFallback(nullptr);
    // Nothing of an unreadable file or of a file that is not ours is printed.
    if (status == LoadStatus::CannotRead)
        return kExitNoInput;
    if (status == LoadStatus::HeaderRejected)
        return kExitDataErr;

    ChannelPrinter printer(app.catalog());
    if (!printer.PrintToPdf(pdfFile, image)) {
        const QByteArray name = pdfFile.toLocal8Bit();
        std::fprintf(stderr, "orvik: cannot write %s\n", name.constData());
        return kExitCantCreate;
    }
    return kExitOk;
}

} // namespace orvik
