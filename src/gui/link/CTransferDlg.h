#pragma once
// The transfer dialog (132): OK starts a radio read or write on a worker thread, a 20 ms timer
// follows the job's state and progress, Cancel stops it. A completed read copies the working
// copy into the document. The worker is joined on every way out of the dialog.

#include "core/link/TransferJob.h"
#include "core/model/RadioImage.h"

#include <QDialog>

#include <array>

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
    QProgressBar* progressBar() const { return progress; }
    QPushButton* okButton() const { return ok; }
    TransferJob& job() { return transferJob; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void initDialog();
    void stopTimer();
    void closePort();
    void onTimer();
    QString portErrorText() const;

    COrvikApp& app;
    QLabel* message = nullptr;
    QProgressBar* progress = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    int timerId = 0;
    std::array<std::uint8_t, RadioImage::Size> workingCopy{};
    TransferJob transferJob;
    TransferWorker worker;
};

} // namespace orvik
