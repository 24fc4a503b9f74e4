#pragma once
// A program directory in a temporary folder (a copy of the shipped data), message boxes and file
// dialogs answered by script, and a radio simulator on a pseudo-terminal.

#include "gui/app/COrvikApp.h"
#include "gui/app/MessageBox.h"
#include "gui/frame/CMainFrame.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace orvik::test {

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString dirPath() const { return dir.path(); }
    QString filePath(const QString& name) const { return dir.filePath(name); }
    void writeSettings(const QByteArray& content);
    QByteArray readFile(const QString& path) const;
    void writeFile(const QString& path, const QByteArray& bytes) const;

    // Builds and starts the application (without showing its window); false when start-up
    // refused.
    bool start(const QString& file = QString());

    // Answers for the next message boxes, in order; MsgOk when the queue is empty.
    std::deque<int> answers;
    std::vector<MessageRecord> messages;
    // Answers for the next file dialogs.
    std::deque<QString> fileAnswers;
    std::vector<FileDialogRequest> fileRequests;
    // Answers for the check box of the next file dialogs that have one.
    std::deque<bool> optionAnswers;

    // The main window once start() got that far; null otherwise.
    CMainFrame* frame() const { return mainWindow.get(); }

    std::unique_ptr<COrvikApp> app;
    std::unique_ptr<CMainFrame> mainWindow;

private:
    QTemporaryDir dir;
};

// orvik-radio-sim on a pseudo-terminal; the slave device path is known once it runs.
class RadioSim {
public:
    explicit RadioSim(const QStringList& args);
    ~RadioSim();
    bool started() const { return !devicePath.isEmpty(); }
    QString device() const { return devicePath; }

private:
    QProcess process;
    QString devicePath;
};

// A 4144-byte data file: the standard header and the given image bytes.
QByteArray dataFileBytes(const QByteArray& image);

} // namespace orvik::test
