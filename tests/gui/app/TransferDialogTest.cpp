// The transfer dialog against orvik-radio-sim on a pseudo-terminal, at the real protocol timing.

#include "AppFixture.h"

#include "core/lang/LangText.h"
#include "core/model/ChannelBulk.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CMainFrame.h"
#include "gui/lang/ResourceIds.h"
#include "gui/link/CConnectionDlg.h"
#include "gui/link/CTransferDlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace orvik::test {
namespace {

QByteArray pattern(int seed) {
    QByteArray image(4096, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 13 + seed) & 0xFF);
    image[0x3D2] = char(0xF4);
    return image;
}

class TransferDialogTest : public AppFixture {
protected:
    QString text(const char* key) const {
        return QString::fromStdString(LoadLangString(filePath("english.lang").toStdString(), key));
    }

    // Starts the program with the simulator bound to COM1 and the search off.
    void startWith(RadioSim& sim, const QByteArray& docImage, const QByteArray& more = {}) {
        ASSERT_TRUE(sim.started());
        writeSettings("[setup]\nlanguage=english\ncom=1\nsearchcom=0\n[ports]\nCOM1=" +
                      sim.device().toUtf8() + "\n" + more);
        const QString file = filePath("doc.735");
        writeFile(file, dataFileBytes(docImage));
        ASSERT_TRUE(start(file));
    }

    QByteArray docImage() const {
        return QByteArray(reinterpret_cast<const char*>(app->document()->image().data()), 4096);
    }

    // Runs the dialog: presses OK once it runs, calls `during` on every 20 ms tick, and gives
    // up after `limitMs`. Returns the dialog's result.
    int run(CTransferDlg& dialog, std::function<void()> during = {}, int limitMs = 20000) {
        QTimer::singleShot(0, &dialog,
                           [&dialog] { QTest::mouseClick(dialog.okButton(), Qt::LeftButton); });
        QTimer ticker;
        if (during) {
            QObject::connect(&ticker, &QTimer::timeout, during);
            ticker.start(20);
        }
        QTimer::singleShot(limitMs, &dialog, [&dialog] {
            ADD_FAILURE() << "transfer dialog still open";
            dialog.reject();
        });
        return dialog.exec();
    }
};

TEST_F(TransferDialogTest, AReadReplacesTheRadioBytesAndKeepsTheRestAndTheModifiedFlag) {
    const QString simFile = filePath("radio.735");
    const QByteArray radio = pattern(101);
    writeFile(simFile, dataFileBytes(radio));
    RadioSim sim({"--image", simFile});
    const QByteArray before = pattern(7);
    // The backup folder cannot be made (a file is in the way): the read still succeeds.
    const QString blocked = filePath("blocked");
    writeFile(blocked, "x");
    startWith(sim, before, "[backup]\ndir=" + blocked.toUtf8() + "/backups\n");
    ASSERT_FALSE(app->document()->IsModified());

    CTransferDlg dialog(*app, frame());
    dialog.isRead = true;
    int lastProgress = -1;
    bool sawPrompt = false;
    EXPECT_EQ(run(dialog,
                  [&] {
                      lastProgress = dialog.progressBar()->value();
                      sawPrompt |=
                          dialog.messageLine()->text().startsWith(text("IDS_PROMPT_READ") + " ") &&
                          dialog.messageLine()->text().endsWith("%");
                  }),
              QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), text("IDS_READDATA"));
    EXPECT_TRUE(sawPrompt);
    EXPECT_GT(lastProgress, 0);
    const QByteArray after = docImage();
    EXPECT_EQ(after.left(0x3E0), radio.left(0x3E0));
    EXPECT_EQ(after.mid(0x3E0), before.mid(0x3E0));
    EXPECT_FALSE(app->document()->IsModified());
    EXPECT_FALSE(app->port().IsOpen());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(
        text("IDS_BACKUP_FAILED").replace("%s", blocked + "/backups") + "\n"))
        << messages[0].text.toStdString();

    // The read is one step: Edit > Undo names it and brings the unsaved image back.
    QAction* undo = frame()->action(ids::ID_EDIT_UNDO);
    ASSERT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), text("IDS_UNDO_STEP").replace("%1", text("IDS_STEP_READ")));
    undo->trigger();
    EXPECT_EQ(docImage(), before);
    frame()->action(ids::ID_EDIT_REDO)->trigger();
    EXPECT_EQ(docImage(), after);
    EXPECT_FALSE(app->document()->IsModified());
}

// A write is read back: the phases show, and a radio that holds what was written is confirmed.
TEST_F(TransferDialogTest, AWriteSendsTheImageTheRadioSavesAndIsVerified) {
    const QString saved = filePath("saved.735");
    RadioSim sim({"--save", saved});
    const QByteArray image = pattern(55);
    startWith(sim, image);
    CTransferDlg dialog(*app, frame());
    dialog.isRead = false;
    bool sawWrite = false;
    bool sawVerify = false;
    EXPECT_EQ(run(
                  dialog,
                  [&] {
                      const QString line = dialog.messageLine()->text();
                      sawWrite |= line.startsWith(text("IDS_PROMPT_WRITE") + " ");
                      sawVerify |= sawWrite && line.startsWith(text("IDS_PROMPT_VERIFY") + " ") &&
                                   line.endsWith("%");
                  },
                  30000),
              QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), text("IDS_WRITEDATA"));
    EXPECT_TRUE(dialog.verifyCheck()->isChecked()); // on by default
    EXPECT_TRUE(sawVerify);
    const QByteArray file = readFile(saved);
    ASSERT_EQ(file.size(), 4144);
    EXPECT_EQ(file.mid(48, 0x3E0), image.left(0x3E0));
    EXPECT_EQ(docImage(), image);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text("IDS_VERIFY_OK"));
}

// A block the radio stores wrongly but acknowledges: the read-back names the channel, the
// write counts as failed and may be written again; unticking the box is remembered.
TEST_F(TransferDialogTest, ARadioThatDoesNotHoldTheWriteIsShownAsAFailure) {
    RadioSim sim({"--corrupt-block", "0x30"});
    startWith(sim, pattern(21));
    CTransferDlg dialog(*app, frame());
    dialog.isRead = false;
    bool closed = false;
    run(
        dialog,
        [&] {
            if (closed || messages.empty())
                return;
            closed = true;
            EXPECT_TRUE(dialog.okButton()->isEnabled());
            // No list follows in the dialog's line; the box lists the differences.
            EXPECT_EQ(dialog.messageLine()->text(), text("IDS_VERIFY_MISMATCH_BRIEF"));
            // The button says it writes again, and Close (not a bare OK) ends the dialog.
            EXPECT_EQ(dialog.okButton()->text(), text("IDS_VERIFY_RETRY"));
            EXPECT_EQ(dialog.cancelButton()->text(), text("IDS_FLEET_CLOSE"));
            QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
            EXPECT_FALSE(dialog.isVisible());
        },
        30000);
    ASSERT_TRUE(closed);
    EXPECT_FALSE(dialog.session().outcome().succeeded());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(text("IDS_VERIFY_MISMATCH") + "\n\nCH3 "))
        << messages[0].text.toStdString();
    EXPECT_EQ(messages[0].extraButton, text("IDS_VERIFY_RETRY"));
    EXPECT_EQ(messages[0].icon, MsgIcon::Stop);

    // The check box's state is kept in setting.ini for the next write.
    CTransferDlg next(*app, frame());
    next.isRead = false;
    QTimer::singleShot(0, &next, [&next] {
        EXPECT_TRUE(next.verifyCheck()->isChecked());
        next.verifyCheck()->setChecked(false);
        next.backupCheck()->setChecked(true);
        next.OnOK();
        next.reject();
    });
    next.exec();
    const QString ini = QString::fromUtf8(readFile(filePath("setting.ini")));
    EXPECT_TRUE(ini.contains("[safety]\nverify=0")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("[backup]\nbefore_write=1")) << ini.toStdString();
}

TEST_F(TransferDialogTest, NoRadioAndALateIdentificationEndTheDialogWithTheirBoxes) {
    {
        RadioSim sim({"--silent"});
        startWith(sim, pattern(1));
        CTransferDlg dialog(*app, frame());
        dialog.isRead = true;
        // The box's extra button opens the connection check.
        answers.push_back(MsgExtra);
        QString opened;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&opened] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && qobject_cast<CConnectionDlg*>(modal) != nullptr) {
                opened = modal->metaObject()->className();
                modal->close();
            }
        });
        watch.start(50);
        EXPECT_EQ(run(dialog), QDialog::Rejected);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.startsWith(text("IDS_ERROR_PORTCONN")));
        EXPECT_EQ(messages[0].caption, text("IDS_ERROR"));
        EXPECT_EQ(messages[0].icon, MsgIcon::Stop);
        EXPECT_EQ(messages[0].extraButton, text("IDS_CHECK_BUTTON"));
        EXPECT_EQ(opened, "orvik::CConnectionDlg");
        EXPECT_EQ(docImage(), pattern(1));
    }
    messages.clear();
    mainWindow.reset();
    app.reset();
    {
        RadioSim sim({"--ident-len", "5"});
        startWith(sim, pattern(2));
        CTransferDlg dialog(*app, frame());
        dialog.isRead = true;
        EXPECT_EQ(run(dialog), QDialog::Rejected);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, text("IDS_ERROR_IDENT_TIMEOUT"));
        EXPECT_EQ(messages[0].caption, text("IDS_ERROR"));
        // A radio answered, so the port is right: the box offers the problem report instead.
        EXPECT_EQ(messages[0].extraButton, text("IDS_REPORT_BUTTON"));
        EXPECT_EQ(docImage(), pattern(2));
    }
}

TEST_F(TransferDialogTest, BeforeOkTheMessageLineSaysWhatToDo) {
    ASSERT_TRUE(start());
    CTransferDlg dialog(*app, frame());
    QString shown;
    QTimer::singleShot(0, &dialog, [&] {
        shown = dialog.messageLine()->text();
        dialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(shown, text("IDS_TRANSFER_HINT"));
}

TEST_F(TransferDialogTest, ProgramReadSaysInTheStatusBarWhatItReadAndWhereTheBackupIs) {
    const QString simFile = filePath("radio.735");
    writeFile(simFile, dataFileBytes(pattern(101)));
    RadioSim sim({"--image", simFile});
    const QString backups = filePath("backups");
    startWith(sim, pattern(7), "[backup]\ndir=" + backups.toUtf8() + "\n");
    QTimer::singleShot(0, frame(), [] {
        if (auto* dialog = qobject_cast<CTransferDlg*>(QApplication::activeModalWidget()))
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    frame()->RunTransfer(true);
    const QStringList stored = QDir(backups).entryList({"*.735"}, QDir::Files);
    ASSERT_EQ(stored.size(), 1);
    const QString count = QString::number(ChannelsInUse(app->document()->image()));
    EXPECT_EQ(frame()->statusMessageText(),
              text("IDS_STATUS_READ_BACKUP").replace("%1", count).replace("%2", stored[0]));
}

TEST_F(TransferDialogTest, AFailedReadKeepsTheDialogOpenWithOkEnabledAgain) {
    RadioSim sim({"--short-block", "0x008"});
    startWith(sim, pattern(3));
    CTransferDlg dialog(*app, frame());
    dialog.isRead = true;
    bool sawFailure = false;
    EXPECT_EQ(run(dialog,
                  [&] {
                      if (!sawFailure &&
                          dialog.messageLine()->text() == text("IDS_PROMPT_READFAIL")) {
                          sawFailure = true;
                          EXPECT_TRUE(dialog.okButton()->isEnabled());
                          EXPECT_FALSE(app->port().IsOpen());
                          // The whole failure text is shown, wrapped over its lines.
                          QLabel* line = dialog.messageLine();
                          EXPECT_GE(line->height(), line->heightForWidth(line->width()));
                          // OK is the default button again: Enter tries again, it does not
                          // close the dialog.
                          EXPECT_TRUE(dialog.okButton()->isDefault());
                          QTest::keyClick(&dialog, Qt::Key_Return);
                          EXPECT_TRUE(dialog.isVisible());
                          EXPECT_FALSE(dialog.okButton()->isEnabled());
                          dialog.reject();
                      }
                  }),
              QDialog::Rejected);
    EXPECT_TRUE(sawFailure);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(docImage(), pattern(3));
}

TEST_F(TransferDialogTest, CancelDuringAReadClosesAtOnceAndLeavesTheDocument) {
    RadioSim sim({});
    startWith(sim, pattern(4));
    CTransferDlg dialog(*app, frame());
    dialog.isRead = true;
    QElapsedTimer clock;
    qint64 cancelledAt = -1;
    EXPECT_EQ(run(dialog,
                  [&] {
                      if (cancelledAt < 0 && dialog.progressBar()->value() > 100) {
                          clock.start();
                          cancelledAt = 0;
                          QTest::mouseClick(
                              dynamic_cast<QPushButton*>(dialog.findChildren<QPushButton*>().at(1)),
                              Qt::LeftButton);
                      }
                  }),
              QDialog::Rejected);
    ASSERT_EQ(cancelledAt, 0);
    EXPECT_LT(clock.elapsed(), 700);
    EXPECT_EQ(docImage(), pattern(4));
    EXPECT_FALSE(app->port().IsOpen());
    EXPECT_TRUE(messages.empty());
}

TEST_F(TransferDialogTest, APulledCableIsReportedAtOnceAndOkTriesAgain) {
    RadioSim sim({"--hangup-after-blocks", "3"});
    startWith(sim, pattern(5));
    CTransferDlg dialog(*app, frame());
    dialog.isRead = true;
    bool sawLost = false;
    EXPECT_EQ(run(
                  dialog,
                  [&] {
                      if (!sawLost &&
                          dialog.messageLine()->text().startsWith(text("IDS_ERROR_LINK_LOST"))) {
                          sawLost = true;
                          EXPECT_TRUE(dialog.okButton()->isEnabled());
                          EXPECT_FALSE(app->port().IsOpen());
                          dialog.reject();
                      }
                  },
                  4000),
              QDialog::Rejected);
    EXPECT_TRUE(sawLost);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(docImage(), pattern(5));
}

// A dialog that goes away mid-read (its window closed under it) stops and joins the worker
// first; the events the worker had already sent are dropped with it, nothing reaches the
// document, and the port is closed.
TEST_F(TransferDialogTest, ADialogDestroyedMidReadStopsTheWorkerAndHearsNothingMore) {
    RadioSim sim({});
    startWith(sim, pattern(6));
    auto dialog = std::make_unique<CTransferDlg>(*app, frame());
    dialog->isRead = true;
    dialog->OnOK();
    QTRY_VERIFY_WITH_TIMEOUT(dialog->messageLine()->text().endsWith("%"), 5000);
    QElapsedTimer clock;
    clock.start();
    dialog.reset();
    EXPECT_LT(clock.elapsed(), 700);
    QTest::qWait(100); // anything still queued for the dialog would arrive now
    EXPECT_FALSE(app->port().IsOpen());
    EXPECT_EQ(docImage(), pattern(6));
    EXPECT_TRUE(messages.empty());
}

// Cancel during a write leaves the radio partly programmed: once the dialog has closed, a
// warning says how many blocks reached it and that it must be written again.
TEST_F(TransferDialogTest, CancelDuringAWriteWarnsThatTheRadioIsPartlyProgrammed) {
    RadioSim sim({});
    startWith(sim, pattern(8));
    CTransferDlg dialog(*app, frame());
    dialog.isRead = false;
    bool cancelled = false;
    EXPECT_EQ(run(dialog,
                  [&] {
                      if (!cancelled && dialog.progressBar()->value() > 100) {
                          cancelled = true;
                          dialog.findChildren<QPushButton*>().at(1)->click();
                          EXPECT_TRUE(dialog.isHidden());
                      }
                  }),
              QDialog::Rejected);
    ASSERT_TRUE(cancelled);
    const TransferOutcome& outcome = dialog.session().outcome();
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_GT(outcome.blocksDone, 0);
    EXPECT_LT(outcome.blocksDone, 124);
    ASSERT_EQ(messages.size(), 1u);
    QString expected = text("IDS_WRITE_PARTIAL");
    expected.replace("%d", QString::number(outcome.blocksDone));
    EXPECT_EQ(messages[0].text, expected);
    EXPECT_EQ(messages[0].caption, text("IDS_ERROR"));
    EXPECT_EQ(messages[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(app->port().IsOpen());
    EXPECT_EQ(docImage(), pattern(8));
}

} // namespace
} // namespace orvik::test

namespace orvik::test {
namespace {

// A failed job offers the problem report beside OK; the report holds the job's trace, and
// Help > Save a Problem Report writes the same trace after the dialog has closed.
TEST_F(TransferDialogTest, AFailedJobOffersTheProblemReportWithItsTrace) {
    RadioSim sim({"--short-block", "0x008"});
    startWith(sim, pattern(3));
    CTransferDlg dialog(*app, frame());
    dialog.isRead = true;
    const QString first = filePath("report.txt");
    fileAnswers = {first, filePath("again")};
    bool saved = false;
    run(dialog, [&] {
        if (saved || dialog.reportButton()->isHidden())
            return;
        EXPECT_TRUE(dialog.okButton()->isEnabled()); // shown once the job has failed
        EXPECT_EQ(dialog.reportButton()->text(), text("IDS_REPORT_BUTTON"));
        QTest::mouseClick(dialog.reportButton(), Qt::LeftButton);
        saved = true;
        dialog.reject();
    });
    ASSERT_TRUE(saved);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(first)) << messages[0].text.toStdString();
    const QString report = QString::fromUtf8(readFile(first));
    for (const char* part :
         {"== Program ==\nOrvik ", "== Platform ==", "== setting.ini ==\n[setup]",
          "== Ports ==", "COM1 (configured): ", "== Connection check ==",
          "== Last result ==\nJob: read\nResult: failed\nEnded in: transfer\n",
          "Blocks read: 1 of 124\n", "== Last transfer ==", "PC>  52 00 08 08",
          "block 1 at 0x008 failed after 3 attempts", "final state ReadFailed", "port closed"})
        EXPECT_TRUE(report.contains(part)) << part << "\n" << report.toStdString();

    QAction* action = nullptr;
    for (QAction* a : frame()->topMenu(3)->actions())
        if (a->data().toInt() == ids::ID_HELP_REPORT)
            action = a;
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), text("Menu_Help_Report"));
    action->trigger();
    // A name typed without an extension gets ".txt".
    const QString again = QString::fromUtf8(readFile(filePath("again.txt")));
    EXPECT_TRUE(again.contains("block 1 at 0x008 failed after 3 attempts"));
}

} // namespace
} // namespace orvik::test
