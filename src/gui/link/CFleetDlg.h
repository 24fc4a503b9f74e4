#pragma once
// Program > Write to Several Radios: the port numbers whose devices exist, each with a check
// box, a progress bar and a result; Start writes the document's image to every checked port at
// once through a FleetJob (optionally verified, backed up first, and radio after radio on each
// port). The port threads push each change as a queued signal, on which the dialog shows the
// job's status, so the window never blocks; Stop and closing the dialog cancel the job and join
// its threads. Save Report stores the outcomes as JSON or CSV.

#include "core/link/FleetJob.h"
#include "core/link/FleetReport.h"
#include "gui/link/LinkEvents.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace orvik {

class COrvikApp;

class CFleetDlg : public QDialog {
    Q_OBJECT
public:
    CFleetDlg(COrvikApp& app, QWidget* parent);
    ~CFleetDlg() override;

    enum Column { ColPort, ColDevice, ColCable, ColProgress, ColResult, ColumnCount };

    void Start();
    void Stop();
    void SaveReport();
    void reject() override; // Close, Escape and the close box stop a running job first

    bool running() const { return job.running(); }
    QTableWidget* table() const { return ports; }
    QLabel* countLabel() const { return count; }
    // Shown when channels break a rule of their service (the channel check); never blocks.
    QLabel* checkWarning() const { return checkLine; }
    QPushButton* startButton() const { return startBtn; }
    QPushButton* stopButton() const { return stopBtn; }
    QPushButton* reportButton() const { return reportBtn; }
    QCheckBox* verifyCheck() const { return verifyBox; }
    QCheckBox* backupCheck() const { return backupBox; }
    QCheckBox* repeatCheck() const { return repeatBox; }

private:
    // Shows every port's phase, progress and last result, and the count.
    void refresh();
    void finish();
    void showRows();
    void setRunning(bool isRunning);
    std::string text(std::string_view key) const;
    // The fields a radio's read-back found different, as lines (`places` false) or places.
    std::vector<std::string> differences(const FleetOutcome& outcome, bool places) const;

    COrvikApp& app;
    QTableWidget* ports = nullptr;
    QLabel* count = nullptr;
    QLabel* checkLine = nullptr;
    QCheckBox* verifyBox = nullptr;
    QCheckBox* backupBox = nullptr;
    QCheckBox* repeatBox = nullptr;
    QPushButton* startBtn = nullptr;
    QPushButton* stopBtn = nullptr;
    QPushButton* reportBtn = nullptr;
    QPushButton* closeBtn = nullptr;
    std::vector<PresentPort> present;
    std::vector<int> rowOfTarget; // the table row of each target of the running job
    std::vector<FleetOutcome> outcomes;
    std::vector<std::uint8_t> written; // the image the running or last job writes
    FleetEvents events;
    FleetJob job; // after `events`: joined before they go
};

} // namespace orvik
