// File > Export channels and File > Import channels in the window.

#include "AppFixture.h"

#include "core/model/ChannelCsv.h"
#include "core/model/EditRules.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CCsvImportDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <QUndoStack>

using namespace orvik;
using namespace orvik::test;

namespace {

class CsvWindowTest : public AppFixture {
protected:
    COrvikDoc& doc() { return *app->document(); }
    void addChannels() {
        CommitFrequency(doc().image(), doc().limits(), 1, true, "435.5");
        CommitTone(doc().image(), 1, true, "D023I", "");
        CommitFrequency(doc().image(), doc().limits(), 2, true, "440");
        CommitFrequency(doc().image(), doc().limits(), 2, false, "");
    }
    // Runs the import command; `answer` is called with the open preview and decides on it.
    void importWith(const QString& csv, const std::function<void(CCsvImportDlg&)>& answer) {
        fileAnswers.push_back(csv);
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CCsvImportDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            answer(*dlg);
        });
        frame()->OnFileImportChannels();
    }
};

} // namespace

TEST_F(CsvWindowTest, ExportWritesWhatTheCommandLineWrites) {
    ASSERT_TRUE(start());
    addChannels();
    for (bool standard : {false, true}) {
        const QString out = filePath(standard ? "std.csv" : "all.csv");
        fileAnswers.push_back(out);
        optionAnswers.push_back(standard);
        frame()->OnFileExportChannels();
        EXPECT_EQ(readFile(out).toStdString(), ExportChannelsCsv(doc().image(), standard));
        EXPECT_EQ(fileRequests.back().defaultSuffix, "csv");
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(CsvWindowTest, ImportChangesTheDocumentOnlyOnOk) {
    ASSERT_TRUE(start());
    addChannels();
    doc().SetModifiedFlag(false);
    doc().ForgetSteps(); // as a file opened with these channels
    const RadioImage before = doc().image();
    const QString csv = filePath("in.csv");
    writeFile(csv, "Location,Frequency,Name\n3,446.00625,Base\n");

    importWith(csv, [](CCsvImportDlg& dlg) {
        EXPECT_TRUE(dlg.reportText().contains(
            "Line 2, channel 3: the name 'Base' cannot be stored in the radio."));
        dlg.reject();
    });
    EXPECT_TRUE(doc().image() == before);
    EXPECT_FALSE(doc().IsModified());

    importWith(csv, [](CCsvImportDlg& dlg) {
        dlg.replaceAllBox()->setChecked(true);
        EXPECT_TRUE(dlg.reportText().contains("Channels cleared: 1, 2"));
        dlg.accept();
    });
    EXPECT_TRUE(doc().IsModified());
    EXPECT_TRUE(doc().image().isRxEmpty(1));
    EXPECT_TRUE(doc().image().isRxEmpty(2));
    EXPECT_EQ(channelCellText(doc().image(), 3, ColRxFreq, {}), "446.00625");
    // The import is one step to take back.
    EXPECT_STREQ(doc().UndoStepKey(), "IDS_STEP_IMPORT");
    doc().undoStack()->undo();
    EXPECT_TRUE(doc().image() == before);

    writeFile(csv, "Name,Comment\nx,y\n");
    fileAnswers.push_back(csv);
    frame()->OnFileImportChannels();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("The file has no header line"));
}
