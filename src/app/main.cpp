// orvik: the window program.
//
//   orvik [--app-dir DIR] [FILE.735]
//   orvik [--app-dir DIR] --print-pdf OUT.pdf FILE.735
//
// --app-dir names the program directory (setting.ini, *.lang); by default the directory of the
// executable when it holds setting.ini, else the installed layout (~/.config/orvik and
// <prefix>/share/orvik). --print-pdf prints the channel table of FILE.735 to OUT.pdf without a
// window. Qt's own options (-platform, -style, ...) are taken out by QApplication first.

#include "core/profile/AppPaths.h"
#include "gui/app/COrvikApp.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/PrintPdf.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {
void printUsage(FILE* out) {
    std::fprintf(out, "Usage: orvik [--app-dir DIR] [FILE.735]\n"
                      "       orvik [--app-dir DIR] --print-pdf OUT.pdf FILE.735\n"
                      "       orvik --version\n");
}

// Qt's own options that take a value; QApplication removes them from the arguments.
bool isQtOptionWithValue(const char* a) {
    for (const char* o : {"-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-style",
                          "-stylesheet", "-session", "-qwindowgeometry", "-qwindowicon",
                          "-qwindowtitle", "-display", "-geometry", "-title", "-reverse"})
        if (std::strcmp(a, o) == 0)
            return std::strcmp(o, "-reverse") != 0;
    return false;
}

// The command line checked before any window system is touched, so a wrong one is reported
// with the usage also where no display can be opened. False: the usage was printed.
bool commandLineUsable(int argc, char** argv) {
    bool pdf = false;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--app-dir") == 0 || std::strcmp(a, "--print-pdf") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "orvik: %s needs a value\n", a);
                printUsage(stderr);
                return false;
            }
            pdf = pdf || std::strcmp(a, "--print-pdf") == 0;
            ++i;
        } else if (std::strncmp(a, "--", 2) == 0) {
            std::fprintf(stderr, "orvik: unknown option %s\n", a);
            printUsage(stderr);
            return false;
        } else if (a[0] == '-' && a[1] != '\0') {
            if (isQtOptionWithValue(a))
                ++i;
        } else {
            ++files;
        }
    }
    if (files > 1) {
        std::fprintf(stderr, "orvik: only one data file can be opened\n");
        printUsage(stderr);
        return false;
    }
    if (pdf && files == 0) {
        std::fprintf(stderr, "orvik: --print-pdf needs a data file\n");
        printUsage(stderr);
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("orvik %s\n", ORVIK_VERSION);
            return 0;
        }
    }
    if (!commandLineUsable(argc, argv))
        return 64;
    // Printing to a file shows no window; without a display the offscreen platform draws it.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--print-pdf") == 0 && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("orvik");

    std::string appDir;
    QString file;
    QString pdfOut;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == "--app-dir" && i + 1 < args.size()) {
            appDir = QFile::encodeName(args.at(++i)).toStdString();
            while (appDir.size() > 1 && appDir.back() == '/')
                appDir.pop_back();
        } else if (a == "--print-pdf" && i + 1 < args.size()) {
            pdfOut = args.at(++i);
        } else if (a.startsWith('-')) {
            std::fprintf(stderr, "orvik: unknown option %s\n", qPrintable(a));
            printUsage(stderr);
            return 64;
        } else if (file.isEmpty()) {
            file = a;
        } else {
            std::fprintf(stderr, "orvik: only one data file can be opened\n");
            return 64;
        }
    }
    // --app-dir makes that folder the program directory for everything.
    const orvik::AppPaths paths =
        appDir.empty() ? orvik::AppPaths::Locate(orvik::AppPaths::ExecutableDirectory())
                       : orvik::AppPaths(appDir);

    if (!pdfOut.isEmpty()) {
        if (file.isEmpty()) {
            std::fprintf(stderr, "orvik: --print-pdf needs a data file\n");
            printUsage(stderr);
            return 64;
        }
        return orvik::PrintDataFileToPdf(paths, file, pdfOut);
    }

    if (const std::string icon = paths.FindFile("orvik.png"); !icon.empty())
        QApplication::setWindowIcon(QIcon(QString::fromStdString(icon)));
    else
        QApplication::setWindowIcon(QIcon::fromTheme("orvik"));

    orvik::COrvikApp app(paths);
    if (!app.InitInstance())
        return 1;
    orvik::CMainFrame frame(app);
    // A file that cannot be opened is reported; the window then shows a new document.
    frame.Start(file);
    return qapp.exec();
}
