#include "AppFixture.h"

#include <QDir>
#include <QFileInfo>

namespace orvik::test {

void AppFixture::SetUp() {
    ASSERT_TRUE(dir.isValid());
    const QDir shipped(ORVIK_SHIPPED_DATA_DIR);
    for (const char* name : {"setting.ini", "english.lang", "chinese.lang"})
        ASSERT_TRUE(QFile::copy(shipped.filePath(name), dir.filePath(name))) << name;
    SetMessageBoxHook([this](const MessageRecord& m) {
        messages.push_back(m);
        if (answers.empty())
            return int(MsgOk);
        const int a = answers.front();
        answers.pop_front();
        return a;
    });
    SetFileDialogHook([this](const FileDialogRequest& r) {
        fileRequests.push_back(r);
        if (r.option != nullptr && !optionAnswers.empty()) {
            *r.option = optionAnswers.front();
            optionAnswers.pop_front();
        }
        if (fileAnswers.empty())
            return QString();
        const QString a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    });
}

void AppFixture::TearDown() {
    mainWindow.reset();
    app.reset();
    SetMessageBoxHook({});
    SetFileDialogHook({});
}

void AppFixture::writeSettings(const QByteArray& content) {
    writeFile(dir.filePath("setting.ini"), content);
}

QByteArray AppFixture::readFile(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void AppFixture::writeFile(const QString& path, const QByteArray& bytes) const {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

bool AppFixture::start(const QString& file) {
    mainWindow.reset();
    app = std::make_unique<COrvikApp>(QFile::encodeName(dir.path()).toStdString());
    if (!app->InitInstance())
        return false;
    mainWindow = std::make_unique<CMainFrame>(*app);
    return mainWindow->Start(file, false);
}

RadioSim::RadioSim(const QStringList& args) {
    process.setProgram(QStringLiteral(ORVIK_BUILD_DIR "/orvik-radio-sim"));
    process.setArguments(args);
    process.start();
    if (!process.waitForStarted(5000))
        return;
    if (!process.waitForReadyRead(5000))
        return;
    devicePath = QString::fromUtf8(process.readLine()).trimmed();
}

RadioSim::~RadioSim() {
    process.terminate();
    if (!process.waitForFinished(3000))
        process.kill();
    process.waitForFinished(1000);
}

QByteArray dataFileBytes(const QByteArray& image) {
    QByteArray bytes("QTB-735 Radio Program data v1.04");
    bytes.append(QByteArray(16, '\0'));
    bytes.append(image);
    return bytes;
}

} // namespace orvik::test
