// File > Compare with, File > Open Backup and backups opened as copies, the backup settings'
// warning, the warning for a short data file, and the document's file changed on disk by another
// program, in the window.

#include "AppFixture.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/model/Backup.h"
#include "core/model/EditRules.h"
#include "core/model/SettingsTable.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CBackupDlg.h"
#include "gui/frame/CCompareDlg.h"
#include "gui/lang/LangUi.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <filesystem>

using namespace orvik;
using namespace orvik::test;

namespace {

class SafetyWindowTest : public AppFixture {
protected:
    COrvikDoc& doc() { return *app->document(); }
    QString text(const char* key) const {
        return QString::fromStdString(LoadLangString(filePath("english.lang").toStdString(), key));
    }
    QByteArray imageBytes(const RadioImage& image) const {
        return QByteArray(reinterpret_cast<const char*>(image.data()), RadioImage::Size);
    }
    // The shipped settings with a [backup] section added.
    void writeBackupSettings(const QByteArray& lines) {
        writeSettings(readFile(filePath("setting.ini")) + "\n[backup]\n" + lines);
    }
    // Another program saves `image` into `file` as orvik-cli does: a new file renamed over it.
    static void saveElsewhere(const QString& file, const RadioImage& image) {
        ASSERT_TRUE(SaveDataFile(QFile::encodeName(file).toStdString(), NewHeaderBlock(), image,
                                 SaveMode::Replace)
                        .ok);
    }
    // Ticks the Beep check box of the settings panel (through the document, as the panel does).
    void tickABox() {
        const int beep = SettingValue(Setting(SettingId::Beep), doc().image());
        doc().SetSetting(SettingId::Beep, 1 - beep);
    }
    RadioImage withChannel(int channel, const char* mhz) {
        RadioImage image = MakeDefaultImage();
        EXPECT_TRUE(CommitFrequency(image, doc().limits(), channel, true, mhz));
        return image;
    }
    bool waitForMessages(std::size_t count) {
        return QTest::qWaitFor([&] { return messages.size() >= count; }, 5000);
    }
};

// Sets a file's modification time to `offset` seconds from now.
void storedAt(const std::string& path, int offset) {
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() +
                                               std::chrono::seconds(offset));
}

std::time_t localTime(int year, int mon, int day, int h, int m, int s) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = mon - 1;
    t.tm_mday = day;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

} // namespace

TEST_F(SafetyWindowTest, CompareWithListsTheDifferencesInATable) {
    ASSERT_TRUE(start());
    RadioImage other = doc().image();
    CommitFrequency(other, doc().limits(), 3, true, "435.5");
    other.setSquelchLevel(5);
    writeFile(filePath("other.735"), dataFileBytes(imageBytes(other)));

    QStringList rows;
    QString title;
    fileAnswers.push_back(filePath("other.735"));
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CCompareDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        title = dlg->windowTitle();
        QTableWidget* t = dlg->table();
        EXPECT_EQ(t->horizontalHeaderItem(1)->text(), text("IDS_DIFF_THIS"));
        EXPECT_EQ(t->horizontalHeaderItem(2)->text(), text("IDS_DIFF_THAT"));
        for (int r = 0; r < t->rowCount(); ++r)
            rows << t->item(r, 0)->text() + " | " + t->item(r, 1)->text() + " | " +
                        t->item(r, 2)->text();
        dlg->accept();
    });
    frame()->OnFileCompare();
    EXPECT_EQ(title, text("IDS_DIFF_TITLE").replace("%s", "other.735"));
    EXPECT_EQ(rows, (QStringList{"Squelch Level | 3 | 5", "CH3 RX Freq (MHz) | (empty) | 435.50000",
                                 "CH3 TX Freq (MHz) | (empty) | 435.50000"}));
    EXPECT_TRUE(messages.empty());

    // A file that is not a data file is refused as Open refuses it; the document is untouched.
    writeFile(filePath("foreign.735"), "not a data file at all, really not");
    fileAnswers.push_back(filePath("foreign.735"));
    frame()->OnFileCompare();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text("IDS_WARN_LOAD"));
}

TEST_F(SafetyWindowTest, AShortFileWarnsOnceAndATooShortOneIsRefused) {
    ASSERT_TRUE(start());
    QByteArray bytes = dataFileBytes(imageBytes(MakeDefaultImage())).left(300);
    writeFile(filePath("short.735"), bytes);
    EXPECT_TRUE(frame()->OpenDocumentFile(filePath("short.735")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(text("IDS_WARN_SHORT_FILE").replace("%d", "300")));
    EXPECT_EQ(doc().PathName(), filePath("short.735"));

    // Each write of that document, to one radio or several, asks again; No writes nothing.
    const QString ask = text("IDS_ASK_SHORT_WRITE").replace("%d", "300");
    answers = {MsgNo, MsgNo};
    // A dialog opened despite No is rejected, so the test fails instead of hanging.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            modal->reject();
    });
    guard.start(500);
    frame()->RunTransfer(false);
    frame()->OnProgramWriteFleet();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1].text, ask);
    EXPECT_EQ(messages[2].text, ask);
    messages.erase(messages.begin() + 1, messages.end());

    // Only part of the header text: refused like a foreign file.
    writeFile(filePath("prefix.735"), bytes.left(20));
    frame()->OpenDocumentFile(filePath("prefix.735"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, text("IDS_WARN_LOAD"));
    EXPECT_TRUE(doc().PathName().isEmpty());
}

// The list: newest stored first, with time, kind, band and channels in use; Show in Folder; Open
// gives an untitled copy named after the backup, and saving it asks for a name, so the backup
// file stays as it was.
TEST_F(SafetyWindowTest, OpenBackupListsTheBackupsAndOpensAnUntitledCopy) {
    const QString folder = filePath("saved");
    writeBackupSettings("dir=" + folder.toUtf8() + "\n");
    ASSERT_TRUE(start());
    BackupSettings settings;
    settings.folder = folder.toStdString();
    RadioImage read = withChannel(1, "435.5");
    CommitFrequency(read, doc().limits(), 2, true, "446.0");
    const RadioImage before = withChannel(5, "440.0");
    const BackupResult readBackup =
        StoreBackup(settings, read, BackupKind::Read, localTime(2026, 12, 9, 0, 59, 30));
    const BackupResult beforeBackup =
        StoreBackup(settings, before, BackupKind::BeforeWrite, localTime(2026, 12, 9, 1, 10, 0));
    ASSERT_TRUE(readBackup.ok && beforeBackup.ok);
    writeFile(folder + "/20261201-120000-read.735", "damaged");
    // The read was stored last, though its name is older (the clock was put back).
    storedAt(beforeBackup.path, -3600);
    storedAt(settings.folder + "/20261201-120000-read.735", -7200);
    const QByteArray backupBytes = readFile(QString::fromStdString(readBackup.path));

    QStringList rows;
    QString heading;
    QString shownFolder;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CBackupDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        QTableWidget* t = dlg->table();
        heading = dlg->heading()->text();
        for (int c = 0; c < t->columnCount(); ++c)
            rows << t->horizontalHeaderItem(c)->text();
        for (int r = 0; r < t->rowCount(); ++r)
            rows << t->item(r, 0)->text() + " | " + t->item(r, 1)->text() + " | " +
                        t->item(r, 2)->text() + " | " + t->item(r, 3)->text();
        dlg->showFolder = [&](const QString& f) {
            shownFolder = f;
            return true;
        };
        dlg->showButton()->click();
        t->selectRow(0);
        dlg->openButton()->click();
    });
    frame()->OnFileOpenBackup();
    EXPECT_EQ(heading, text("IDS_BACKUP_LIST_FOLDER").replace("%1", folder));
    EXPECT_EQ(rows, (QStringList{"Time", "Kind", "Band", "Channels in use",
                                 "2026-12-09 00:59:30 | read | 400-470MHz (UHF) | 2",
                                 "2026-12-09 01:10:00 | before write | 400-470MHz (UHF) | 1",
                                 "2026-12-01 12:00:00 | read | (unreadable) | "}));
    EXPECT_EQ(shownFolder, folder);
    EXPECT_TRUE(messages.empty());

    // An untitled copy that says what it is, kept off the recent files.
    EXPECT_EQ(doc().image(), read);
    EXPECT_TRUE(doc().PathName().isEmpty());
    EXPECT_FALSE(doc().IsModified());
    EXPECT_EQ(doc().CopyTitle(), "Backup 2026-12-09 00:59, read");
    EXPECT_EQ(frame()->windowTitle(),
              "Backup 2026-12-09 00:59, read[*] - " + text("IDS_WINDOWNAME"));
    EXPECT_FALSE(app->RecentFiles().contains(QString::fromStdString(readBackup.path)));

    // Change anything, File > Exit, "Yes": the question names the copy, then Save As asks.
    tickABox();
    answers = {MsgYes};
    fileAnswers = {filePath("mine.735")};
    EXPECT_TRUE(frame()->close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, FillText(text("IDS_ASK_SAVE"), {"Backup 2026-12-09 00:59, read"}));
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].mode, FileDialogMode::Save);
    EXPECT_EQ(readFile(QString::fromStdString(readBackup.path)), backupBytes);
    EXPECT_EQ(readFile(filePath("mine.735")).mid(48), imageBytes(doc().image()));
    EXPECT_TRUE(doc().CopyTitle().isEmpty());
    EXPECT_EQ(frame()->windowTitle(), "mine.735[*] - " + text("IDS_WINDOWNAME"));

    // A backup opened any other way (recent files, a drop, the command line) is a copy too.
    ASSERT_TRUE(frame()->OpenDocumentFile(QString::fromStdString(beforeBackup.path)));
    EXPECT_EQ(doc().CopyTitle(), "Backup 2026-12-09 01:10, before write");
    EXPECT_TRUE(doc().PathName().isEmpty());
    answers = {MsgCancel};
    tickABox();
    EXPECT_FALSE(frame()->OnFileSave());
    EXPECT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(app->RecentFiles().value(0), filePath("mine.735"));
    EXPECT_FALSE(app->RecentFiles().contains(QString::fromStdString(beforeBackup.path)));
}

TEST_F(SafetyWindowTest, OpenBackupWithoutBackupsNamesTheFolderAndOpensNothing) {
    const QString folder = filePath("none-yet");
    writeBackupSettings("dir=" + folder.toUtf8() + "\n");
    ASSERT_TRUE(start());
    QString heading;
    bool openEnabled = true;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CBackupDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        heading = dlg->heading()->text();
        openEnabled = dlg->openButton()->isEnabled();
        dlg->showFolder = [](const QString&) { return false; };
        dlg->showButton()->click();
        dlg->reject();
    });
    frame()->OnFileOpenBackup();
    EXPECT_EQ(heading, text("IDS_BACKUP_LIST_EMPTY").replace("%1", folder));
    EXPECT_FALSE(openEnabled);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text("IDS_BACKUP_FOLDER_FAILED") + "\n" + folder);
    EXPECT_TRUE(fileRequests.empty());
}

TEST_F(SafetyWindowTest, AKeepValueThatIsNoWholeNumberIsNamedInTheStatusBar) {
    writeBackupSettings("keep=2,000\n");
    ASSERT_TRUE(start());
    EXPECT_EQ(frame()->statusMessageText(),
              "setting.ini [backup] keep=2,000 is not a whole number of at least 1; the newest "
              "200 backups are kept.");
    EXPECT_TRUE(messages.empty());
}

// The way it was found: open f.735, another program changes channel 9 in it, tick a box, Save:
// channel 9 was gone without a word.
TEST_F(SafetyWindowTest, SaveAsksBeforeOverwritingAFileChangedByAnotherProgram) {
    const QString file = filePath("f.735");
    writeFile(file, dataFileBytes(imageBytes(MakeDefaultImage())));
    ASSERT_TRUE(start(file));
    const RadioImage edited = withChannel(9, "435.5");
    saveElsewhere(file, edited);
    const QByteArray theirs = readFile(file);
    tickABox();
    const QString question =
        "f.735 was changed by another program since it was opened. Overwrite it?";

    answers = {MsgCancel};
    EXPECT_FALSE(frame()->OnFileSave());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, question);
    EXPECT_EQ(messages[0].buttons, MsgButtons::YesCancel);
    EXPECT_EQ(messages[0].extraButton, text("IDS_FILE_CHANGED_SAVE_AS"));
    EXPECT_EQ(readFile(file), theirs);

    // File > Exit, "Yes" to saving: the same question first.
    answers = {MsgYes, MsgCancel};
    EXPECT_FALSE(frame()->close());
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].text, question);
    EXPECT_EQ(readFile(file), theirs);

    // Save As... keeps their file and saves ours elsewhere.
    answers = {MsgExtra};
    fileAnswers = {filePath("ours.735")};
    EXPECT_TRUE(frame()->OnFileSave());
    EXPECT_EQ(readFile(file), theirs);
    EXPECT_EQ(doc().PathName(), filePath("ours.735"));
    EXPECT_EQ(readFile(filePath("ours.735")).mid(48), imageBytes(doc().image()));

    // Overwrite it: then the file is the document's, and the next Save asks as usual.
    ASSERT_TRUE(frame()->OpenDocumentFile(file));
    saveElsewhere(file, withChannel(3, "440.0"));
    tickABox();
    messages.clear();
    answers = {MsgYes, MsgOk};
    EXPECT_TRUE(frame()->OnFileSave());
    EXPECT_EQ(readFile(file).mid(48), imageBytes(doc().image()));
    EXPECT_TRUE(frame()->OnFileSave());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, text("IDS_WARN_SAVE") + file);
}

// A change on disk while the file is open asks to reload it; No keeps the document (and Save
// still asks), Reload is one undo step. The watch follows the file through saves by rename.
TEST_F(SafetyWindowTest, AChangeOnDiskOffersAReloadThatIsOneUndoStep) {
    const QString file = filePath("f.735");
    const RadioImage original = MakeDefaultImage();
    writeFile(file, dataFileBytes(imageBytes(original)));
    ASSERT_TRUE(start(file));
    const QString question = "f.735 was changed on disk. Reload?";

    answers = {MsgNo};
    saveElsewhere(file, withChannel(9, "435.5"));
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(messages[0].text, question);
    EXPECT_EQ(messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(doc().image(), original);
    EXPECT_TRUE(doc().ChangedOnDisk());
    QTest::qWait(200);
    EXPECT_EQ(messages.size(), 1u); // asked once for one change

    // Written in place this time, into the file that replaced the first.
    const RadioImage theirs = withChannel(4, "450.0");
    answers = {MsgYes};
    writeFile(file, dataFileBytes(imageBytes(theirs)));
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(messages[1].text, question);
    EXPECT_EQ(doc().image(), theirs);
    EXPECT_FALSE(doc().IsModified());
    EXPECT_FALSE(doc().ChangedOnDisk());
    ASSERT_NE(doc().UndoStepKey(), nullptr);
    EXPECT_STREQ(doc().UndoStepKey(), lang::IDS_STEP_RELOAD);
    doc().undoStack()->undo();
    EXPECT_EQ(doc().image(), original);
    EXPECT_TRUE(doc().IsModified());
    doc().undoStack()->redo();
    EXPECT_EQ(doc().image(), theirs);
    EXPECT_FALSE(doc().IsModified());

    // The document's own save is no change by another program.
    tickABox();
    answers = {MsgOk};
    EXPECT_TRUE(frame()->OnFileSave());
    QTest::qWait(300);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].text, text("IDS_WARN_SAVE") + file);
}
