// orvik: the window program.
//
//   orvik [--app-dir DIR] [FILE.735]
//   orvik [--app-dir DIR] --print-pdf OUT.pdf FILE.735
//
// --app-dir names the program directory (setting.ini, *.lang); by default the directory of the
// executable. --print-pdf prints the channel table of FILE.735 to OUT.pdf without a window.

#include "core/profile/AppPaths.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/PrintPdf.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    std::string appDir;
    QString file;
    QString pdfOut;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--app-dir") == 0 && i + 1 < argc) {
            appDir = argv[++i];
            while (appDir.size() > 1 && appDir.back() == '/')
                appDir.pop_back();
        } else if (std::strcmp(argv[i], "--print-pdf") == 0 && i + 1 < argc) {
            pdfOut = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--help") == 0) {
            usage = true;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            // Qt's own options (e.g. -platform) have one dash; leave them to QApplication.
            std::fprintf(stderr, "orvik: unknown option %s\n", argv[i]);
            return 64;
        } else if (argv[i][0] != '-' && file.isEmpty()) {
            file = QString::fromLocal8Bit(argv[i]);
        }
    }
    if (usage) {
        std::printf("Usage: orvik [--app-dir DIR] [FILE.735]\n"
                    "       orvik [--app-dir DIR] --print-pdf OUT.pdf FILE.735\n");
        return 0;
    }
    if (appDir.empty())
        appDir = orvik::AppPaths::ExecutableDirectory();

    if (!pdfOut.isEmpty()) {
        if (file.isEmpty()) {
            std::fprintf(stderr, "orvik: --print-pdf needs a data file\n");
            return 64;
        }
        // No window is shown; without a display the offscreen platform draws the page.
        if (qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication qapp(argc, argv);
        return orvik::PrintDataFileToPdf(appDir, file, pdfOut);
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName("orvik");
    const QString icon = QString::fromStdString(appDir) + "/orvik.png";
    if (QFileInfo::exists(icon))
        QApplication::setWindowIcon(QIcon(icon));

    orvik::COrvikApp app(appDir);
    if (!app.InitInstance(file))
        return 1;
    return qapp.exec();
}
