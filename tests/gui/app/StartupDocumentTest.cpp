// Start-up, the document's New, Open, Save and Save As with their questions.

#include "AppFixture.h"

#include "core/lang/LangText.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CMainFrame.h"
#include "gui/lang/LangUi.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace orvik::test {
namespace {

QString lang(const AppFixture&, const QString& langFile, const char* key) {
    return QString::fromStdString(LoadLangString(langFile.toStdString(), key));
}

class StartupDocumentTest : public AppFixture {
protected:
    QString text(const char* key) const { return lang(*this, filePath("english.lang"), key); }
    bool askedFor(const QString& t) const {
        for (const auto& m : messages)
            if (m.text == t)
                return true;
        return false;
    }
    QByteArray patternImage(int seed) const {
        QByteArray image(4096, '\0');
        for (int i = 0; i < image.size(); ++i)
            image[i] = char((i * 7 + seed) & 0xFF);
        image[0x3D2] = char(0xF8); // a band the document knows
        return image;
    }
};

TEST_F(StartupDocumentTest, WithoutSettingsIniTheProgramStopsWithItsOwnMessage) {
    ASSERT_TRUE(QFile::remove(filePath("setting.ini")));
    EXPECT_FALSE(start());
    ASSERT_EQ(messages.size(), 1u);
    // The built-in text, then the folder searched.
    EXPECT_EQ(messages[0].text, "Can not find the file setting.ini!\n" + dirPath());
    EXPECT_EQ(messages[0].icon, MsgIcon::Stop);
    EXPECT_EQ(frame(), nullptr);
}

TEST_F(StartupDocumentTest, StartsWithTheDefaultImageAndTheLanguageTitle) {
    ASSERT_TRUE(start());
    EXPECT_TRUE(messages.empty());
    COrvikDoc* doc = app->document();
    EXPECT_EQ(doc->image().bandCode(), 0xF4);
    EXPECT_EQ(doc->limits().low, 40000000);
    EXPECT_EQ(doc->limits().high, 47000000);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(frame()->windowTitle(), text("IDS_UNTITLED") + "[*] - " + text("IDS_WINDOWNAME"));
    EXPECT_EQ(frame()->portPaneText(), "COM1");
}

TEST_F(StartupDocumentTest, AnUnreadableLanguageFileIsNamedOnceAndEnglishShown) {
    QByteArray settings = readFile(filePath("setting.ini"));
    settings.replace("language=english", "language=klingon");
    writeSettings(settings);
    ASSERT_TRUE(start());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(text("IDS_WARN_LANG_FILE")));
    EXPECT_TRUE(messages[0].text.contains(filePath("klingon.lang")));
    EXPECT_EQ(frame()->windowTitle(), text("IDS_UNTITLED") + "[*] - " + text("IDS_WINDOWNAME"));
    EXPECT_EQ(frame()->topMenu(0)->title(), text("Menu_File"));

    // Said once: later refreshes use English without asking again.
    app->RefreshLanguage();
    frame()->OnFileNew(true);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(StartupDocumentTest, AKeyTheLanguageLacksShowsTheEnglishText) {
    QByteArray chinese = readFile(filePath("chinese.lang"));
    chinese.replace("Menu_Help=", "Menu_Help_Removed=");
    writeFile(filePath("chinese.lang"), chinese);
    QByteArray settings = readFile(filePath("setting.ini"));
    settings.replace("language=english", "language=chinese");
    writeSettings(settings);
    ASSERT_TRUE(start());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(frame()->topMenu(3)->title(), text("Menu_Help"));
    EXPECT_EQ(frame()->topMenu(0)->title(), lang(*this, filePath("chinese.lang"), "Menu_File"));
}

TEST_F(StartupDocumentTest, AFileOnTheCommandLineOpensWithoutTheClearQuestion) {
    const QString file = filePath("radio.735");
    const QByteArray image = patternImage(3);
    writeFile(file, dataFileBytes(image));
    ASSERT_TRUE(start(file));
    EXPECT_TRUE(messages.empty());
    COrvikDoc* doc = app->document();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(doc->image().data()), 4096), image);
    EXPECT_EQ(doc->PathName(), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(doc->limits().low, 13600000);
    EXPECT_EQ(app->RecentFiles().value(0), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(frame()->windowTitle(), "radio.735[*] - " + text("IDS_WINDOWNAME"));
}

TEST_F(StartupDocumentTest, AFileTheCommandLineCannotOpenIsReportedAndANewDocumentShown) {
    for (const QString& file : {filePath("missing.735"), dirPath()}) {
        messages.clear();
        EXPECT_FALSE(start(file)) << file.toStdString();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.startsWith(text("IDS_ERROR_FILE_READ")));
        EXPECT_TRUE(messages[0].text.contains(QDir::toNativeSeparators(file)));
        // The window is there all the same, on a new document.
        ASSERT_NE(frame(), nullptr);
        EXPECT_EQ(app->document()->image().bandCode(), 0xF4);
        EXPECT_TRUE(app->document()->PathName().isEmpty());
        EXPECT_TRUE(app->RecentFiles().isEmpty() ||
                    app->RecentFiles().value(0) != QFileInfo(file).absoluteFilePath());
    }
}

TEST_F(StartupDocumentTest, NewAsksAndEachCancelKeepsTheDocument) {
    ASSERT_TRUE(start());
    COrvikDoc* doc = app->document();
    doc->image().setSquelchLevel(7);
    doc->SetModifiedFlag();

    // Cancel at the save question: nothing else is asked, nothing changes.
    answers = {MsgCancel};
    frame()->OnFileNew();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, FillText(text("IDS_ASK_SAVE"), {text("IDS_UNTITLED")}));
    EXPECT_EQ(doc->image().squelchLevel(), 7);
    EXPECT_TRUE(doc->IsModified());

    // Don't save, then Cancel at the clear question.
    messages.clear();
    answers = {MsgNo, MsgCancel};
    frame()->OnFileNew();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, text("IDS_WARN_CLEAR"));
    EXPECT_EQ(messages[1].caption, text("IDS_PROMPT"));
    EXPECT_EQ(messages[1].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(messages[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(doc->image().squelchLevel(), 7);
    EXPECT_TRUE(doc->IsModified());

    // Don't save, then OK: the default image.
    messages.clear();
    answers = {MsgNo, MsgOk};
    frame()->OnFileNew();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(doc->image().squelchLevel(), 3);
    EXPECT_FALSE(doc->IsModified());

    // The reset without the clear question (start-up, before an open) asks nothing.
    doc->image().setSquelchLevel(7);
    doc->SetModifiedFlag();
    messages.clear();
    frame()->OnFileNew(true);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(doc->image().squelchLevel(), 3);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(StartupDocumentTest, OpeningNeverAsksTheClearQuestion) {
    ASSERT_TRUE(start());
    const QString file = filePath("a.735");
    writeFile(file, dataFileBytes(patternImage(1)));
    app->document()->SetModifiedFlag();
    answers = {MsgNo};
    EXPECT_TRUE(frame()->OpenDocumentFile(file));
    ASSERT_EQ(messages.size(), 1u); // only the save question
    EXPECT_FALSE(askedFor(text("IDS_WARN_CLEAR")));
    EXPECT_FALSE(app->document()->IsModified());
}

TEST_F(StartupDocumentTest, ARejectedHeaderShowsTheClearedImageButIsNotAdopted) {
    ASSERT_TRUE(start());
    const QString file = filePath("foreign.735");
    QByteArray bytes = dataFileBytes(patternImage(5));
    bytes[0] = 'q'; // the header differs only in letter case
    writeFile(file, bytes);

    EXPECT_TRUE(frame()->OpenDocumentFile(file));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text("IDS_WARN_LOAD"));
    EXPECT_EQ(messages[0].icon, MsgIcon::Stop);
    COrvikDoc* doc = app->document();
    for (std::size_t i = 0; i < RadioImage::Size; ++i)
        ASSERT_EQ(doc->image().data()[i], 0xFF) << i;
    EXPECT_EQ(doc->limits().low, 40000000);
    EXPECT_TRUE(doc->PathName().isEmpty());
    EXPECT_FALSE(app->RecentFiles().contains(QFileInfo(file).absoluteFilePath()));

    // A later Save cannot overwrite the foreign file: it asks for a name.
    doc->SetModifiedFlag();
    EXPECT_FALSE(frame()->OnFileSave());
    EXPECT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(readFile(file), bytes);
}

TEST_F(StartupDocumentTest, SaveAsksWithThePathAndCancelWritesNothing) {
    const QString file = filePath("radio.735");
    const QByteArray original = dataFileBytes(patternImage(9));
    writeFile(file, original);
    ASSERT_TRUE(start(file));
    COrvikDoc* doc = app->document();
    doc->image().setSquelchLevel(1);
    doc->SetModifiedFlag();

    answers = {MsgCancel};
    EXPECT_FALSE(frame()->OnFileSave());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text("IDS_WARN_SAVE") + QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(messages[0].caption, text("IDS_PROMPT"));
    EXPECT_EQ(readFile(file), original);
    EXPECT_TRUE(doc->IsModified());

    answers = {MsgOk};
    EXPECT_TRUE(frame()->OnFileSave());
    const QByteArray saved = readFile(file);
    ASSERT_EQ(saved.size(), 4144);
    EXPECT_EQ(quint8(saved[48 + 0x3C1]), 1);
    EXPECT_EQ(saved.left(48), original.left(48));
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(StartupDocumentTest, SaveAsAppendsTheExtensionAndANewDocumentGoesStraightToIt) {
    ASSERT_TRUE(start());
    COrvikDoc* doc = app->document();
    fileAnswers = {filePath("customer")};
    EXPECT_TRUE(frame()->OnFileSave()); // never saved: no overwrite question
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].mode, FileDialogMode::Save);
    EXPECT_TRUE(fileRequests[0].filters.value(0).startsWith("Radio Program Data Files (*.735)"));
    const QString expected = filePath("customer.735");
    EXPECT_EQ(readFile(expected).size(), 4144);
    EXPECT_EQ(doc->PathName(), QFileInfo(expected).absoluteFilePath());
    EXPECT_EQ(frame()->windowTitle(), "customer.735[*] - " + text("IDS_WINDOWNAME"));
}

TEST_F(StartupDocumentTest, AWriteErrorIsShownWithThePathAndTheDocumentStaysModified) {
    ASSERT_TRUE(start());
    COrvikDoc* doc = app->document();
    doc->SetModifiedFlag();
    const QString target = filePath("no-such-dir/radio.735");
    fileAnswers = {target};
    EXPECT_FALSE(frame()->OnFileSaveAs());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(text("IDS_ERROR_FILE_WRITE")));
    EXPECT_TRUE(messages[0].text.contains(target));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(doc->PathName().isEmpty());
}

TEST_F(StartupDocumentTest, ExitAsksToSaveAModifiedDocumentAndClosesThePort) {
    ASSERT_TRUE(start());
    frame()->show();
    app->document()->SetModifiedFlag();
    answers = {MsgCancel};
    EXPECT_FALSE(frame()->close());
    EXPECT_EQ(messages.size(), 1u);
    answers = {MsgNo};
    EXPECT_TRUE(frame()->close());
    EXPECT_FALSE(app->port().IsOpen());
}

TEST_F(StartupDocumentTest, RecentFilesKeepFourNewestFirstAndDropAVanishedFile) {
    ASSERT_TRUE(start());
    QStringList opened;
    for (int i = 0; i < 5; ++i) {
        const QString file = filePath(QStringLiteral("r%1.735").arg(i));
        writeFile(file, dataFileBytes(patternImage(i)));
        ASSERT_TRUE(frame()->OpenDocumentFile(file));
        opened.prepend(QFileInfo(file).absoluteFilePath());
    }
    EXPECT_EQ(app->RecentFiles(), opened.mid(0, 4));

    // Reopening moves an entry to the top without duplicating it.
    ASSERT_TRUE(frame()->OpenDocumentFile(opened.at(2)));
    EXPECT_EQ(app->RecentFiles(),
              (QStringList{opened.at(2), opened.at(0), opened.at(1), opened.at(3)}));

    // An entry whose file is gone is reported and taken off the list.
    ASSERT_TRUE(QFile::remove(opened.at(1)));
    frame()->OpenRecentFile(2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(text("IDS_ERROR_FILE_READ")));
    EXPECT_EQ(app->RecentFiles(), (QStringList{opened.at(2), opened.at(0), opened.at(3)}));
}

} // namespace
} // namespace orvik::test
