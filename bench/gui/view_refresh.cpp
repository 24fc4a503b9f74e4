// A full refresh of the form view after a language switch: menu relabelled, limits recomputed,
// every list, text, header and cell rebuilt from the image, then painted. Alternates between
// the two shipped languages on a scratch copy of the shipped data.

#include "core/model/Codecs.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CMainFrame.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication qapp(argc, argv);

    QTemporaryDir data;
    const QDir shipped(QStringLiteral(ORVIK_SHIPPED_DATA_DIR));
    for (const QString& name : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(name), data.filePath(name));

    orvik::COrvikApp app(QFile::encodeName(data.path()).toStdString());
    if (!app.InitInstance()) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    orvik::CMainFrame frame(app);
    frame.Start(QString(), false);
    orvik::RadioImage& image = app.document()->image();
    for (int n = 1; n <= orvik::ChannelCount; ++n) {
        image.setRxFreq(n, orvik::TextToFreq("435.125"));
        image.setTxFreq(n, orvik::TextToFreq(n % 2 ? "435.125" : "440"));
        image.setRxTone(n, orvik::TextToTone(n % 3 ? "67.0" : "D754I"));
    }
    QApplication::processEvents();

    const std::string languages[2] = {
        QFile::encodeName(data.filePath("chinese.lang")).toStdString(),
        QFile::encodeName(data.filePath("english.lang")).toStdString()};
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 50;
    std::vector<double> refresh, painted;
    for (int i = 0; i < runs; ++i) {
        app.SetLanguageFile(languages[i % 2]);
        QElapsedTimer timer;
        timer.start();
        app.RefreshLanguage();
        const qint64 afterRefresh = timer.nsecsElapsed();
        frame.repaint();
        QApplication::processEvents();
        refresh.push_back(afterRefresh / 1e6);
        painted.push_back(timer.nsecsElapsed() / 1e6);
    }
    auto report = [](const char* what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("%-28s median %7.2f ms   min %7.2f ms   max %7.2f ms\n", what, v[v.size() / 2],
                    v.front(), v.back());
    };
    std::printf("%d language switches (target: under 30 ms)\n", runs);
    report("refresh", refresh);
    report("refresh and repaint", painted);
    return 0;
}
