// Channel plans and the channel check in the window: Insert from Plan, New from Plan, the
// warning marks of the CH cells, View > Check Channels and the write dialog's note.

#include "AppFixture.h"

#include "core/model/EditRules.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CPlanDlg.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/link/CFleetDlg.h"
#include "gui/link/CTransferDlg.h"
#include "gui/views/COrvikView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QUndoStack>

#include <functional>

using namespace orvik;
using namespace orvik::test;

namespace {

// A plan of one's own: one channel in the 400-470 MHz band, one above it, one the radio cannot
// store exactly.
constexpr char MixedPlan[] = "# name: Mixed\n"
                             "# region: EU\n"
                             "Location,Name,Frequency\n"
                             "1,In band,446.5\n"
                             "2,Above,480.5\n"
                             "3,Odd,446.003333\n";

class PlanWindowTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ASSERT_TRUE(QDir(dirPath()).mkdir("plans"));
        const QDir shipped(ORVIK_SHIPPED_DATA_DIR "/plans");
        for (const char* name : {"eu-pmr446.csv", "au-uhf-cb.csv"})
            ASSERT_TRUE(QFile::copy(shipped.filePath(name), filePath("plans/") + name));
        writeFile(filePath("plans/mixed.csv"), MixedPlan);
        setCheck("regions=EU,AU");
    }
    void setCheck(const QByteArray& lines) {
        writeSettings(readFile(ORVIK_SHIPPED_DATA_DIR "/setting.ini") + "\n[check]\n" + lines +
                      "\n");
    }
    COrvikDoc& doc() { return *app->document(); }
    CGridCtrl& grid() { return *frame()->view()->grid(); }
    CellTexts cells() { return {"Off", "Yes", "No", "Wide", "Narrow", "High", "Low"}; }

    // Runs `command` while `answer` handles the plan dialog it opens.
    void withPlanDialog(const std::function<void()>& command,
                        const std::function<void(CPlanDlg&)>& answer) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CPlanDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            seen = true;
            answer(*dlg);
        });
        command();
        EXPECT_TRUE(seen);
    }
    // Chooses the plan whose list entry starts with `name`.
    static void choose(CPlanDlg& dlg, const QString& name) {
        const int i = dlg.planList()->findText(name, Qt::MatchStartsWith);
        ASSERT_GE(i, 0) << name.toStdString();
        dlg.planList()->setCurrentIndex(i);
    }
    // Ticks exactly the plan channels numbered in `numbers`.
    static void tickOnly(CPlanDlg& dlg, std::initializer_list<int> numbers) {
        QTreeWidget* list = dlg.channelList();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            const bool wanted =
                std::find(numbers.begin(), numbers.end(), item->text(0).toInt()) != numbers.end();
            item->setCheckState(0, wanted ? Qt::Checked : Qt::Unchecked);
        }
    }
    std::string rx(int n) { return channelCellText(doc().image(), n, ColRxFreq, cells()); }
    static int ticked(CPlanDlg& dlg) { return int(dlg.options().picks.size()); }
};

// With ORVIK_SCREENSHOT_DIR set, `w` saved there as <name>.png.
void shot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("ORVIK_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    w->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->grab().save(dir + "/" + name + ".png"));
}

} // namespace

TEST_F(PlanWindowTest, InsertPutsTickedChannelsIntoFreeChannelsAsOneStep) {
    ASSERT_TRUE(start());
    ASSERT_FALSE(doc().CommitCell(2, ColRxFreq, "440", cells()).refused);
    doc().ForgetSteps();
    const RadioImage before = doc().image();

    withPlanDialog([this] { frame()->OnEditInsertFromPlan(); },
                   [](CPlanDlg& dlg) {
                       choose(dlg, "PMR446");
                       // 15 free channels: the first 15 ticked, a 16th tick taken back.
                       EXPECT_EQ(ticked(dlg), 15);
                       dlg.channelList()->topLevelItem(15)->setCheckState(0, Qt::Checked);
                       EXPECT_EQ(ticked(dlg), 15);
                       // From channel 15 leaves room for two.
                       dlg.fromBox()->setValue(15);
                       EXPECT_EQ(ticked(dlg), 2);
                       dlg.intoFreeButton()->setChecked(true);
                       tickOnly(dlg, {1, 5, 16});
                       EXPECT_TRUE(dlg.reportText().contains("Channels that change: 1, 3, 4"))
                           << dlg.reportText().toStdString();
                       dlg.buttonBox()->button(QDialogButtonBox::Ok)->click();
                   });

    const RadioImage& image = doc().image();
    EXPECT_EQ(rx(1), "446.00625");
    EXPECT_EQ(rx(2), "440.00000"); // in use: left alone
    EXPECT_EQ(rx(3), "446.05625");
    EXPECT_EQ(rx(4), "446.19375");
    EXPECT_TRUE(image.isRxEmpty(5));
    for (int n : {1, 3, 4}) {
        EXPECT_EQ(image.narrow(n), 1) << n;
        EXPECT_EQ(image.highPower(n), 0) << n;
    }
    EXPECT_TRUE(frame()->statusMessageText().contains("3 channels inserted from PMR446"))
        << frame()->statusMessageText().toStdString();
    EXPECT_EQ(doc().undoStack()->count(), 1);
    doc().undoStack()->undo();
    EXPECT_TRUE(doc().image() == before);
}

TEST_F(PlanWindowTest, ChannelsTheBandCannotHoldAreGreyedAndCannotBeTicked) {
    ASSERT_TRUE(start());
    withPlanDialog([this] { frame()->OnEditInsertFromPlan(); },
                   [](CPlanDlg& dlg) {
                       // No channel of UHF CB fits 400-470 MHz: listed only on request.
                       EXPECT_LT(dlg.planList()->findText("UHF CB", Qt::MatchStartsWith), 0);
                       dlg.otherBandsBox()->setChecked(true);
                       choose(dlg, "UHF CB");
                       QTreeWidgetItem* first = dlg.channelList()->topLevelItem(0);
                       EXPECT_FALSE(first->flags() & Qt::ItemIsEnabled);
                       first->setCheckState(0, Qt::Checked);
                       EXPECT_EQ(ticked(dlg), 0);
                       EXPECT_FALSE(dlg.buttonBox()->button(QDialogButtonBox::Ok)->isEnabled());

                       choose(dlg, "Mixed");
                       QTreeWidget* list = dlg.channelList();
                       ASSERT_EQ(list->topLevelItemCount(), 3);
                       EXPECT_TRUE(list->topLevelItem(0)->flags() & Qt::ItemIsEnabled);
                       EXPECT_FALSE(list->topLevelItem(1)->flags() & Qt::ItemIsEnabled);
                       EXPECT_TRUE(list->topLevelItem(1)->text(6).contains("outside the band"));
                       EXPECT_FALSE(list->topLevelItem(2)->flags() & Qt::ItemIsEnabled);
                       EXPECT_TRUE(list->topLevelItem(2)->text(6).contains("cannot store"));
                       EXPECT_EQ(ticked(dlg), 1);
                       dlg.reject();
                   });
    EXPECT_EQ(doc().undoStack()->count(), 0);
}

TEST_F(PlanWindowTest, NewFromPlanAsksToSaveAndTakesTheBandThePlanFits) {
    ASSERT_TRUE(start());
    ASSERT_FALSE(doc().CommitCell(1, ColRxFreq, "440", cells()).refused);
    ASSERT_TRUE(doc().IsModified());
    answers.push_back(MsgNo); // do not save the changed document
    withPlanDialog([this] { frame()->OnFileNewFromPlan(); },
                   [](CPlanDlg& dlg) {
                       choose(dlg, "UHF CB");
                       EXPECT_EQ(dlg.bandPosition(), 0); // 470-490 MHz
                       EXPECT_EQ(ticked(dlg), 16);
                       tickOnly(dlg, {1, 2});
                       dlg.toneBox()->setChecked(true);
                       dlg.toneList()->setCurrentText("D023N");
                       dlg.accept();
                   });
    ASSERT_EQ(messages.size(), 1u); // the save question
    const RadioImage& image = doc().image();
    EXPECT_EQ(image.bandListPosition(), 0);
    EXPECT_EQ(rx(1), "476.42500");
    EXPECT_EQ(rx(2), "476.45000");
    EXPECT_TRUE(image.isRxEmpty(3));
    EXPECT_EQ(channelCellText(image, 1, ColTxTone, cells()), "D023N");
    EXPECT_TRUE(doc().PathName().isEmpty());
}

TEST_F(PlanWindowTest, ChannelsBreakingARuleAreMarkedListedAndNotedBeforeAWrite) {
    ASSERT_TRUE(start());
    // A new channel is High power and Wide: too much for PMR446.
    ASSERT_FALSE(doc().CommitCell(3, ColRxFreq, "446.05625", cells()).refused);
    const QString note = grid().GetItemWarning(3, 0);
    EXPECT_TRUE(note.contains("PMR446")) << note.toStdString();
    EXPECT_TRUE(note.contains("High")) << note.toStdString();
    EXPECT_TRUE(grid().GetItemWarning(2, 0).isEmpty());
    // The note is the CH cell's tool tip.
    frame()->show();
    const QPoint at = grid().cellRect(3, 0).center();
    QHelpEvent help(QEvent::ToolTip, at, grid().viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid().viewport(), &help);
    EXPECT_EQ(QToolTip::text(), note);

    bool listed = false;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_NE(dlg, nullptr);
        auto* list = dlg->findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 1);
        EXPECT_TRUE(list->item(0)->text().startsWith("CH3 446.05625 MHz"));
        listed = true;
        dlg->close();
    });
    frame()->OnViewCheckChannels();
    EXPECT_TRUE(listed);

    CTransferDlg write(*app, frame());
    write.isRead = false;
    QTimer::singleShot(0, &write, [&write] {
        EXPECT_TRUE(write.checkWarning()->isVisible());
        EXPECT_TRUE(write.checkWarning()->text().contains("1 channels"));
        EXPECT_TRUE(write.okButton()->isEnabled());
        write.reject();
    });
    write.exec();
    // Writing to several radios notes it too.
    EXPECT_EQ(CFleetDlg(*app, frame()).checkWarning()->text(), write.checkWarning()->text());

    // Narrow and Low keep the rules: the mark goes, and comes back with undo.
    doc().ChooseOption(3, ColNarrow, 1);
    doc().ChooseOption(3, ColHighPower, 0);
    EXPECT_TRUE(grid().GetItemWarning(3, 0).isEmpty());
    frame()->OnViewCheckChannels();
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages.back().text.startsWith("No channel breaks"));
    doc().undoStack()->undo();
    EXPECT_FALSE(grid().GetItemWarning(3, 0).isEmpty());
}

TEST_F(PlanWindowTest, TheCheckTurnedOffMarksNothing) {
    setCheck("enabled=0");
    ASSERT_TRUE(start());
    ASSERT_FALSE(doc().CommitCell(3, ColRxFreq, "446.05625", cells()).refused);
    EXPECT_TRUE(grid().GetItemWarning(3, 0).isEmpty());
    frame()->OnViewCheckChannels();
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages.back().text.contains("turned off"));
}

namespace {
// Whether the pixel is the warning mark's amber.
bool amber(QRgb p) {
    return qRed(p) > 200 && qGreen(p) > 120 && qGreen(p) < 210 && qBlue(p) < 110;
}
} // namespace

TEST_F(PlanWindowTest, MirroredTheDialogWorksAndTheMarkSitsAtTheTrailingCorner) {
    ASSERT_TRUE(start());
    for (const char* language : {"english", "hebrew"}) {
        SCOPED_TRACE(language);
        const bool mirrored = std::string(language) == "hebrew";
        app->SetLanguageFile(std::string(ORVIK_SHIPPED_DATA_DIR "/") + language + ".lang");
        app->RefreshLanguage();
        doc().OnNewDocument();
        ASSERT_FALSE(doc().CommitCell(3, ColRxFreq, "446.05625", cells()).refused);
        withPlanDialog([this] { frame()->OnEditInsertFromPlan(); },
                       [&](CPlanDlg& dlg) {
                           EXPECT_EQ(dlg.isRightToLeft(), mirrored);
                           choose(dlg, "PMR446");
                           tickOnly(dlg, {1, 2});
                           shot(&dlg, QStringLiteral("plans-insert-%1").arg(language));
                           dlg.accept();
                       });
        EXPECT_EQ(rx(1), "446.00625");
        EXPECT_EQ(rx(2), "446.01875");
        doc().UpdateAllViews();
        frame()->show();
        QCoreApplication::processEvents();
        const QImage table = grid().viewport()->grab().toImage();
        const QRect ch3 = grid().cellRect(3, 0);
        const int x = mirrored ? ch3.left() + 3 : ch3.right() - 3;
        EXPECT_TRUE(amber(table.pixel(x, ch3.top() + 3)))
            << Qt::hex << table.pixel(x, ch3.top() + 3);
        EXPECT_FALSE(
            amber(table.pixel(mirrored ? ch3.right() - 3 : ch3.left() + 3, ch3.top() + 3)));
        EXPECT_FALSE(amber(table.pixel(x, grid().cellRect(2, 0).top() + 3))); // no finding
        shot(frame(), QStringLiteral("plans-table-%1").arg(language));
        QTimer::singleShot(0, [language] {
            QWidget* dlg = QApplication::activeModalWidget();
            ASSERT_NE(dlg, nullptr);
            shot(dlg, QStringLiteral("plans-check-%1").arg(language));
            dlg->close();
        });
        frame()->OnViewCheckChannels();
    }
}
