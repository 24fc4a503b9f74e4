#include "gui/link/CTransferDlg.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/link/CSerialPort.h"
#include "core/link/ProblemReport.h"
#include "core/model/Backup.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/ChannelChecker.h"
#include "gui/app/MessageBox.h"
#include "gui/app/ProblemReportUi.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/link/CConnectionDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace orvik {

namespace {

// Differences listed in the box after a failed read-back; the rest are counted.
constexpr int ListedDifferences = 20;

QString outcomeText(LangCatalog& catalog, const TransferOutcome& outcome,
                    bool differencesListed = false) {
    return QString::fromStdString(TransferMessage(
        outcome, [&catalog](std::string_view key) { return catalog.text(key); },
        differencesListed));
}

} // namespace

CTransferDlg::CTransferDlg(COrvikApp& application, QWidget* parent)
    : QDialog(parent), app(application) {
    message = new QLabel(this);
    SetControlId(message, ids::IDC_TRANSFER_MESSAGE);
    message->setTextFormat(Qt::PlainText);
    message->setMinimumWidth(340);
    message->setWordWrap(true);
    bar = new QProgressBar(this);
    SetControlId(bar, ids::IDC_TRANSFER_PROGRESS);
    bar->setTextVisible(false);
    backupBox = new QCheckBox(this);
    SetControlId(backupBox, ids::IDC_BACKUP_CHECK);
    verifyBox = new QCheckBox(this);
    SetControlId(verifyBox, ids::IDC_VERIFY_CHECK);
    checkLine = new QLabel(this);
    checkLine->setObjectName("checkLine");
    checkLine->setTextFormat(Qt::PlainText);
    checkLine->setWordWrap(true);
    checkLine->hide();

    auto* box = new QDialogButtonBox(this);
    ok = box->addButton("OK", QDialogButtonBox::ActionRole);
    cancel = box->addButton("Cancel", QDialogButtonBox::RejectRole);
    report = box->addButton(QString(), QDialogButtonBox::ActionRole);
    report->setAutoDefault(false);
    report->hide();
    ok->setDefault(true);
    SetControlId(ok, ids::IDOK);
    SetControlId(cancel, ids::IDCANCEL);
    connect(ok, &QPushButton::clicked, this, &CTransferDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CTransferDlg::reject);
    connect(report, &QPushButton::clicked, this, [this] { SaveProblemReport(app, this); });
    // The worker's events, handled here on the UI thread; those of a job that is no longer
    // wanted (cancelled) are dropped.
    connect(
        &events, &TransferEvents::searchingPort, this,
        [this](quint64 from, int port) {
            if (from == job)
                searching(port);
        },
        Qt::QueuedConnection);
    connect(
        &events, &TransferEvents::phaseChanged, this,
        [this](quint64 from, int phase) {
            if (from == job)
                phaseStarted(static_cast<TransferPhase>(phase));
        },
        Qt::QueuedConnection);
    connect(
        &events, &TransferEvents::progressed, this,
        [this](quint64 from, int percent) {
            if (from == job)
                progress(percent);
        },
        Qt::QueuedConnection);
    connect(
        &events, &TransferEvents::jobFinished, this,
        [this](quint64 from) {
            if (from == job)
                jobEnded();
        },
        Qt::QueuedConnection);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(message);
    layout->addWidget(bar);
    layout->addWidget(backupBox);
    layout->addWidget(verifyBox);
    layout->addWidget(checkLine);
    layout->addSpacing(8);
    layout->addWidget(box);
}

CTransferDlg::~CTransferDlg() {
    job = 0;
    transfer.cancel();
    app.port().Close();
}

int CTransferDlg::exec() {
    initDialog();
    return QDialog::exec();
}

void CTransferDlg::initDialog() {
    setWindowTitle("Transfer");
    ApplyDialogTexts(app.catalog(), this, ids::IDD_TRANSFER);
    okText = ok->text();
    cancelText = cancel->text();
    setWindowTitle(app.LangText(isRead ? "IDS_READDATA" : "IDS_WRITEDATA"));
    bar->setAccessibleName(windowTitle());
    bar->setRange(0, 1024);
    bar->setValue(0);
    showMessage(app.LangText("IDS_TRANSFER_HINT"));
    ok->setEnabled(true);
    report->setText(app.LangText(lang::IDS_REPORT_BUTTON));
    report->hide();
    const std::string& ini = app.paths().SettingsFilePath();
    backupBox->setText(app.LangText(lang::IDS_BACKUP_CHECK));
    backupBox->setChecked(LoadBackupSettings(ini).beforeWrite);
    backupBox->setVisible(!isRead);
    verifyBox->setText(app.LangText(lang::IDS_VERIFY_CHECK));
    verifyBox->setChecked(VerifyAfterWrite(ini));
    verifyBox->setVisible(!isRead);
    showCheckWarning();
}

// A write of channels that break a rule of their service is noted, never stopped.
void CTransferDlg::showCheckWarning() {
    const QString note = isRead || app.document() == nullptr
                             ? QString()
                             : WriteCheckNote(app.paths(), app.catalog(), app.document()->image());
    checkLine->setText(note);
    checkLine->setVisible(!note.isEmpty());
}

// The check boxes of a write are remembered in setting.ini for the next one.
void CTransferDlg::rememberWriteChoices() {
    const std::string& ini = app.paths().SettingsFilePath();
    const bool backupFirst = backupBox->isChecked();
    const bool verify = verifyBox->isChecked();
    if (backupFirst != LoadBackupSettings(ini).beforeWrite)
        ini::WriteString(ini, keys::BackupSection, keys::BackupBeforeWriteKey,
                         backupFirst ? "1" : "0");
    if (verify != VerifyAfterWrite(ini))
        ini::WriteString(ini, keys::SafetySection, keys::VerifyKey, verify ? "1" : "0");
}

TransferRequest CTransferDlg::request() const {
    TransferChoices choices;
    choices.isRead = isRead;
    choices.iniPath = app.paths().SettingsFilePath();
    choices.port = app.SessionPort();
    choices.search = app.SessionSearch();
    if (!isRead) {
        choices.backupFirst = backupBox->isChecked();
        choices.verify = verifyBox->isChecked();
    }
    return MakeTransferRequest(choices);
}

void CTransferDlg::OnOK() {
    if (transfer.running())
        return;
    app.port().SetBaudRate(9600);
    if (!isRead)
        rememberWriteChoices();
    const TransferRequest jobRequest = request();
    report->hide();
    ok->setText(okText);
    cancel->setText(cancelText);
    job = ++lastJob;
    events.setJob(job);
    shownPhase = TransferSession::FirstPhase(jobRequest);
    transfer.start(jobRequest, app.document()->image().data(), app.port(), events);
    showMessage(QString::fromStdString(
        PhasePrompt(shownPhase, isRead, [this](auto key) { return app.catalog().text(key); })));
    ok->setEnabled(false);
    backupBox->setEnabled(false);
    verifyBox->setEnabled(false);
}

void CTransferDlg::showMessage(const QString& text) {
    message->setText(text);
    // The line wraps; it grows (and the dialog with it) until the whole text shows.
    const int needed = message->heightForWidth(message->width());
    if (needed > message->minimumHeight()) {
        message->setMinimumHeight(needed);
        if (QLayout* l = layout())
            l->activate();
    }
}

void CTransferDlg::reject() {
    job = 0; // what the cancelled job still sends is dropped
    const bool wasRunning = transfer.running();
    const TransferOutcome outcome = transfer.cancel(); // joins the worker, closes the port
    app.port().Close();
    if (wasRunning) {
        app.SetLastTrace(transfer.trace().Text());
        rememberResult(outcome);
    }
    QDialog::reject();
    // A write stopped part-way leaves the radio with part old, part new data: say so.
    // A write cancelled while it was read back is written but not verified: say that too.
    if (wasRunning && outcome.cancelled &&
        (outcome.partlyWritten() || outcome.endedIn == TransferPhase::Verify))
        ShowMessageBox(parentWidget(), outcomeText(app.catalog(), outcome),
                       app.LangText("IDS_ERROR"), MsgButtons::Ok, MsgIcon::Exclamation);
}

void CTransferDlg::searching(int port) {
    app.ShowPortInStatusBar(port);
    showMessage(app.LangText("IDS_SEARCHCOMPORT") + QString(port % 16, QChar('.')));
}

void CTransferDlg::phaseStarted(TransferPhase phase) {
    shownPhase = phase;
    progress(0);
}

void CTransferDlg::progress(int percent) {
    const std::string prompt =
        PhasePrompt(shownPhase, isRead, [this](auto key) { return app.catalog().text(key); });
    showMessage(QString::fromStdString(prompt) + QStringLiteral(" %1%").arg(percent));
    bar->setValue(percent * 1024 / 100);
}

// A read-back that differs: the dialog stays open to write again; the box says where.
void CTransferDlg::showMismatch(const TransferOutcome& outcome) {
    QString text = outcomeText(app.catalog(), outcome, true) + "\n";
    for (const std::string& line :
         MismatchLines(transfer.image().data(), transfer.radioImage().data(), app.catalog(),
                       app.paths().SettingsFilePath(), ListedDifferences))
        text += "\n" + QString::fromStdString(line);
    if (ShowMessageBox(this, text, app.LangText("IDS_ERROR"), MsgButtons::Ok, MsgIcon::Stop,
                       app.LangText(lang::IDS_VERIFY_RETRY)) == MsgExtra)
        OnOK();
}

// No radio, or no identification: the dialog closes with a box that offers the connection
// check (which names the cause) or, when a radio answered, the problem report.
void CTransferDlg::portError(const TransferOutcome& outcome) {
    const bool check = NeedsConnectionCheck(outcome);
    const int answer = ShowMessageBox(
        this, outcomeText(app.catalog(), outcome), app.LangText("IDS_ERROR"), MsgButtons::Ok,
        MsgIcon::Stop, app.LangText(check ? lang::IDS_CHECK_BUTTON : lang::IDS_REPORT_BUTTON));
    done(QDialog::Rejected);
    if (answer == MsgExtra && check) {
        CConnectionDlg dialog(app, parentWidget());
        dialog.exec();
    } else if (answer == MsgExtra) {
        SaveProblemReport(app, parentWidget());
    }
}

// The outcome for the problem report: the file written and the differences a read-back found.
void CTransferDlg::rememberResult(const TransferOutcome& outcome) {
    std::vector<std::string> differences;
    if (outcome.verify == VerifyResult::Mismatch)
        differences = MismatchLines(transfer.image().data(), transfer.radioImage().data(),
                                    app.catalog(), app.paths().SettingsFilePath());
    const QString file = isRead ? QString() : app.document()->PathName();
    app.SetLastResult(
        TransferResultText(outcome, QFile::encodeName(file).toStdString(), differences));
}

void CTransferDlg::jobEnded() {
    job = 0;
    // The worker has delivered its last event and ends: the join returns at once. The link is
    // closed.
    const TransferOutcome outcome = transfer.wait();
    app.SetLastTrace(transfer.trace().Text());
    rememberResult(outcome);
    backupBox->setEnabled(true);
    verifyBox->setEnabled(true);
    auto stayOpen = [this](const QString& text) {
        // OK tries again; Enter presses it (Cancel took the default role while the job ran).
        showMessage(text);
        ok->setEnabled(true);
        report->show();
        ok->setDefault(true);
        ok->setFocus(Qt::OtherFocusReason);
    };
    if (!outcome.cancelled && outcome.verify == VerifyResult::Mismatch) {
        // The radio on the cable may be another by now: the button says what it does, and
        // Close ends the dialog.
        stayOpen(outcomeText(app.catalog(), outcome));
        ok->setText(app.LangText(lang::IDS_VERIFY_RETRY));
        cancel->setText(app.LangText(lang::IDS_FLEET_CLOSE));
        showMismatch(outcome);
        return;
    }
    const bool backupFailed = outcome.endedIn == TransferPhase::Backup &&
                              outcome.state != TransferState::PortError &&
                              outcome.state != TransferState::TypeError;
    if (backupFailed || outcome.verify == VerifyResult::NotVerified) {
        // The backup read or its store failed (nothing was written), or the read-back did not
        // complete (written, not verified).
        stayOpen(outcomeText(app.catalog(), outcome));
        return;
    }
    switch (outcome.state) {
    case TransferState::PortError:
    case TransferState::TypeError:
        portError(outcome);
        break;
    case TransferState::ReadFailed:
    case TransferState::WriteFailed:
    case TransferState::ConnectionLost:
        // The dialog stays open; OK tries again.
        stayOpen(outcomeText(app.catalog(), outcome));
        break;
    case TransferState::ReadDone: {
        RadioImage read;
        std::memcpy(read.data(), transfer.image().data(), RadioImage::Size);
        // Undoable, and leaving the modified flag as it was.
        app.document()->ReplaceImage(read, lang::IDS_STEP_READ, false);
        readBackup = QString::fromStdString(outcome.backupPath);
        app.RefreshLanguage();
        done(QDialog::Accepted);
        // A backup that could not be stored does not fail the read.
        const std::string warning = BackupWarning(
            outcome, [this](std::string_view key) { return app.catalog().text(key); });
        if (!warning.empty())
            ShowMessageBox(parentWidget(), QString::fromStdString(warning),
                           app.LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Exclamation);
        break;
    }
    case TransferState::WriteDone:
        done(QDialog::Accepted);
        if (outcome.verify == VerifyResult::Verified)
            ShowMessageBox(parentWidget(), app.LangText(lang::IDS_VERIFY_OK),
                           app.LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Information);
        break;
    case TransferState::Busy:
    case TransferState::ReadProgress:
    case TransferState::WriteProgress:
    case TransferState::Searching:
        done(QDialog::Rejected);
        break;
    }
}

} // namespace orvik
