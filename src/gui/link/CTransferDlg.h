#pragma once
// The transfer dialog (132): OK starts a radio read or write in a TransferSession, whose worker
// pushes its events to the dialog as queued signals (handled on the UI thread); Cancel stops
// it. A completed read copies the session's image into the document. The worker is joined on
// every way out of the dialog, before the dialog acts on the outcome and before it closes; a
// write cancelled after blocks reached the radio is followed by a warning once the dialog has
// closed. A write offers "Back up the radio first" and "Verify after writing" (both remembered
// in setting.ini); a read-back that differs lists the differences and offers to write again.

#include "core/link/TransferSession.h"
#include "gui/link/LinkEvents.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace orvik {

class COrvikApp;

class CTransferDlg : public QDialog {
    Q_OBJECT
public:
    CTransferDlg(COrvikApp& app, QWidget* parent);
    ~CTransferDlg() override;

    bool isRead = true; // set by the command before the dialog runs

    int exec() override;
    void reject() override; // Cancel, Escape and the close box

    // OK: starts a new job.
    void OnOK();

    QLabel* messageLine() const { return message; }
    QProgressBar* progressBar() const { return bar; }
    QPushButton* okButton() const { return ok; }
    QPushButton* cancelButton() const { return cancel; }
    // Shown beside OK once a job has failed: saves a problem report with the job's trace.
    QPushButton* reportButton() const { return report; }
    // Write only: read and store the radio before writing; read it back after writing.
    QCheckBox* backupCheck() const { return backupBox; }
    QCheckBox* verifyCheck() const { return verifyBox; }
    // Write only: shown when channels break a rule of their service (the channel check); the
    // write goes ahead all the same.
    QLabel* checkWarning() const { return checkLine; }
    const TransferSession& session() const { return transfer; }
    // The backup file stored with the completed read; empty when none was stored.
    QString readBackupPath() const { return readBackup; }

private:
    void initDialog();
    void showMessage(const QString& text);
    void rememberWriteChoices();
    void showCheckWarning();
    TransferRequest request() const;

    // The session's events, on the UI thread, for the job running now.
    void searching(int port);
    void phaseStarted(TransferPhase phase);
    void progress(int percent);
    // Joins the worker, then acts on the outcome.
    void jobEnded();
    void showMismatch(const TransferOutcome& outcome);
    void portError(const TransferOutcome& outcome);
    void rememberResult(const TransferOutcome& outcome);

    COrvikApp& app;
    QLabel* message = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QString okText; // the buttons' texts from the language file, restored for a new job
    QString cancelText;
    QPushButton* report = nullptr;
    QCheckBox* backupBox = nullptr;
    QCheckBox* verifyBox = nullptr;
    QLabel* checkLine = nullptr;
    QString readBackup;
    TransferPhase shownPhase = TransferPhase::Transfer; // the step the progress line names
    quint64 job = 0;     // the job whose events are wanted; 0 and cancelled jobs: none
    quint64 lastJob = 0; // the number of the last job started
    TransferEvents events;
    TransferSession transfer; // after `events`: joined before they go
};

} // namespace orvik
