#pragma once
// The transfer dialog (132): OK starts a radio read or write in a TransferSession, a 20 ms
// timer polls it, Cancel stops it. A completed read copies the session's image into the
// document. The worker is joined on every way out of the dialog; a write cancelled after
// blocks reached the radio is followed by a warning once the dialog has closed. A write offers
// "Back up the radio first" and "Verify after writing" (both remembered in setting.ini); a
// read-back that differs lists the differences and offers to write again.

#include "core/link/TransferSession.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace orvik {

class COrvikApp;

class CTransferDlg : public QDialog, private TransferObserver {
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
    // Shown beside OK once a job has failed: saves a problem report with the job's trace.
    QPushButton* reportButton() const { return report; }
    // Write only: read and store the radio before writing; read it back after writing.
    QCheckBox* backupCheck() const { return backupBox; }
    QCheckBox* verifyCheck() const { return verifyBox; }
    const TransferSession& session() const { return transfer; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void initDialog();
    void stopTimer();
    void showMessage(const QString& text);

    // TransferObserver, called from the timer's poll.
    void searching(int port) override;
    void phaseStarted(TransferPhase phase) override;
    void progress(int percent) override;
    void finished(const TransferOutcome& outcome) override;

    COrvikApp& app;
    QLabel* message = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* report = nullptr;
    QCheckBox* backupBox = nullptr;
    QCheckBox* verifyBox = nullptr;
    int timerId = 0;
    TransferSession transfer;
};

} // namespace orvik
