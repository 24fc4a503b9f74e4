// File > Compare with, File > Open Backup and the warning for a short data file in the window.

#include "AppFixture.h"

#include "core/lang/LangText.h"
#include "core/model/EditRules.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CCompareDlg.h"

#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>

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
};

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

    // Only part of the header text: refused like a foreign file.
    writeFile(filePath("prefix.735"), bytes.left(20));
    frame()->OpenDocumentFile(filePath("prefix.735"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, text("IDS_WARN_LOAD"));
    EXPECT_TRUE(doc().PathName().isEmpty());
}

TEST_F(SafetyWindowTest, OpenBackupStartsInTheBackupFolder) {
    writeSettings("[setup]\nlanguage=english\n[backup]\ndir=" + filePath("saved").toUtf8() + "\n");
    ASSERT_TRUE(start());
    fileAnswers.push_back(QString());
    frame()->OnFileOpenBackup();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].directory, filePath("saved"));
}
