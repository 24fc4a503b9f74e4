// The transfer dialog against orvik-radio-sim on a pseudo-terminal, at the real protocol timing.

#include "AppFixture.h"

#include "core/lang/LangText.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CMainFrame.h"
#include "gui/link/CTransferDlg.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

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
    void startWith(RadioSim& sim, const QByteArray& docImage) {
        ASSERT_TRUE(sim.started());
        writeSettings("[setup]\nlanguage=english\ncom=1\nsearchcom=0\n[ports]\nCOM1=" +
                      sim.device().toUtf8() + "\n");
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
    startWith(sim, before);
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
}

TEST_F(TransferDialogTest, AWriteSendsTheImageTheRadioSaves) {
    const QString saved = filePath("saved.735");
    RadioSim sim({"--save", saved});
    const QByteArray image = pattern(55);
    startWith(sim, image);
    CTransferDlg dialog(*app, frame());
    dialog.isRead = false;
    EXPECT_EQ(run(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), text("IDS_WRITEDATA"));
    const QByteArray file = readFile(saved);
    ASSERT_EQ(file.size(), 4144);
    EXPECT_EQ(file.mid(48, 0x3E0), image.left(0x3E0));
    EXPECT_EQ(docImage(), image);
}

TEST_F(TransferDialogTest, NoRadioAndAShortIdentificationEndTheDialogWithTheirBoxes) {
    {
        RadioSim sim({"--silent"});
        startWith(sim, pattern(1));
        CTransferDlg dialog(*app, frame());
        dialog.isRead = true;
        EXPECT_EQ(run(dialog), QDialog::Rejected);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.startsWith(text("IDS_ERROR_PORTCONN")));
        EXPECT_EQ(messages[0].caption, text("IDS_ERROR"));
        EXPECT_EQ(messages[0].icon, MsgIcon::Stop);
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
        EXPECT_EQ(messages[0].text, text("IDS_ERROR_TYPE"));
        EXPECT_EQ(messages[0].caption, text("IDS_ERROR"));
        EXPECT_EQ(docImage(), pattern(2));
    }
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

TEST_F(TransferDialogTest, TypeConfirmationAndUnknownStatesAreAnswered) {
    RadioSim sim({"--silent"});
    startWith(sim, pattern(6));
    {
        // State 3: the type question; Cancel turns it into a type error and ends the dialog.
        CTransferDlg dialog(*app, frame());
        dialog.isRead = true;
        answers = {MsgCancel};
        bool set = false;
        EXPECT_EQ(run(dialog,
                      [&] {
                          if (!set && dialog.job().state.load() == Busy) {
                              dialog.job().state.store(3);
                              set = true;
                          }
                      }),
                  QDialog::Rejected);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, text("IDS_CONFIRM_TYPE"));
        EXPECT_EQ(messages[0].caption, text("IDS_CONFIRM"));
        EXPECT_EQ(messages[0].buttons, MsgButtons::OkCancel);
        EXPECT_EQ(messages[0].icon, MsgIcon::Question);
        EXPECT_EQ(dialog.job().state.load(), TypeError);
        EXPECT_FALSE(app->port().IsOpen());
    }
    messages.clear();
    {
        // OK goes on with the job; a value no row names ends the dialog without a message.
        CTransferDlg dialog(*app, frame());
        dialog.isRead = true;
        answers = {MsgOk};
        int step = 0;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(run(dialog,
                      [&] {
                          if (step == 0 && dialog.job().state.load() == Busy) {
                              dialog.job().state.store(3);
                              step = 1;
                          } else if (step == 1 && messages.size() == 1 &&
                                     dialog.job().state.load() == Busy) {
                              dialog.job().state.store(42);
                              step = 2;
                          }
                      }),
                  QDialog::Rejected);
        EXPECT_EQ(step, 2);
        // The worker, still trying to wake the radio, is stopped rather than waited out.
        EXPECT_LT(clock.elapsed(), 1200);
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_FALSE(app->port().IsOpen());
    }
    EXPECT_EQ(docImage(), pattern(6));
}

} // namespace
} // namespace orvik::test
