#include "gui/link/CTransferDlg.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/link/CSerialPort.h"
#include "core/link/Protocol.h"
#include "core/model/Backup.h"
#include "core/model/ImageDiff.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/app/ProblemReportUi.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/link/CConnectionDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <cstring>

namespace orvik {

namespace {

constexpr int TimerInterval = 20;
// Differences listed in the box after a failed read-back; the rest are counted.
constexpr int ListedDifferences = 20;

QString outcomeText(LangCatalog& catalog, const TransferOutcome& outcome) {
    return QString::fromStdString(
        TransferMessage(outcome, [&catalog](std::string_view key) { return catalog.text(key); }));
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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(message);
    layout->addWidget(bar);
    layout->addWidget(backupBox);
    layout->addWidget(verifyBox);
    layout->addSpacing(8);
    layout->addWidget(box);
}

CTransferDlg::~CTransferDlg() {
    stopTimer();
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
}

void CTransferDlg::OnOK() {
    if (transfer.running())
        return;
    app.port().SetBaudRate(9600);
    TransferRequest request;
    request.isRead = isRead;
    request.iniPath = app.paths().SettingsFilePath();
    request.port = app.SessionPort();
    request.search = app.SessionSearch();
    const std::string& ini = app.paths().SettingsFilePath();
    request.backup = LoadBackupSettings(ini);
    if (!isRead) {
        // The check boxes are remembered for the next write.
        const bool backupFirst = backupBox->isChecked();
        const bool verify = verifyBox->isChecked();
        if (backupFirst != request.backup->beforeWrite)
            ini::WriteString(ini, keys::BackupSection, keys::BackupBeforeWriteKey,
                             backupFirst ? "1" : "0");
        if (verify != VerifyAfterWrite(ini))
            ini::WriteString(ini, keys::SafetySection, keys::VerifyKey, verify ? "1" : "0");
        request.backup->beforeWrite = backupFirst;
        request.verify = verify;
    }
    report->hide();
    transfer.start(request, app.document()->image().data(), app.port());
    showMessage(QString::fromStdString(PhasePrompt(
        transfer.phase(), isRead, [this](auto key) { return app.catalog().text(key); })));
    ok->setEnabled(false);
    backupBox->setEnabled(false);
    verifyBox->setEnabled(false);
    timerId = startTimer(TimerInterval);
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

void CTransferDlg::stopTimer() {
    if (timerId) {
        killTimer(timerId);
        timerId = 0;
    }
}

void CTransferDlg::reject() {
    stopTimer();
    const bool wasRunning = transfer.running();
    const TransferOutcome outcome = transfer.cancel(); // joins the worker, closes the port
    app.port().Close();
    if (wasRunning)
        app.SetLastTrace(transfer.trace().Text());
    QDialog::reject();
    // A write stopped part-way leaves the radio with part old, part new data: say so.
    // A write cancelled while it was read back is written but not verified: say that too.
    if (wasRunning && outcome.cancelled &&
        (outcome.partlyWritten() || outcome.endedIn == TransferPhase::Verify))
        ShowMessageBox(parentWidget(), outcomeText(app.catalog(), outcome),
                       app.LangText("IDS_ERROR"), MsgButtons::Ok, MsgIcon::Exclamation);
}

void CTransferDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timerId && timerId)
        transfer.poll(*this);
    else
        QDialog::timerEvent(event);
}

void CTransferDlg::searching(int port) {
    app.ShowPortInStatusBar(port);
    showMessage(app.LangText("IDS_SEARCHCOMPORT") + QString(port % 16, QChar('.')));
}

void CTransferDlg::phaseStarted(TransferPhase) {
    progress(0);
}

void CTransferDlg::progress(int percent) {
    const std::string prompt =
        PhasePrompt(transfer.phase(), isRead, [this](auto key) { return app.catalog().text(key); });
    showMessage(QString::fromStdString(prompt) + QStringLiteral(" %1%").arg(percent));
    bar->setValue(percent * 1024 / 100);
}

void CTransferDlg::finished(const TransferOutcome& outcome) {
    // The timer goes first, so that a message box never meets a further tick; the session has
    // joined the worker and closed the port.
    stopTimer();
    app.SetLastTrace(transfer.trace().Text());
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
        // The radio does not hold what was written: say where, and offer to write again.
        const DiffTexts texts =
            LoadDiffTexts(app.catalog(), ReadBandNames(app.paths().SettingsFilePath()));
        RadioImage written;
        RadioImage radio;
        std::memcpy(written.data(), transfer.image().data(), RadioImage::Size);
        std::memcpy(radio.data(), transfer.radioImage().data(), RadioImage::Size);
        const auto differences = CompareImages(written, radio, texts, protocol::TransferredBytes);
        QString text = outcomeText(app.catalog(), outcome) + "\n";
        for (std::size_t i = 0; i < differences.size() && i < ListedDifferences; ++i)
            text += "\n" + QString::fromStdString(DifferenceLine(differences[i]));
        if (differences.size() > ListedDifferences)
            text += "\n" + app.LangText(lang::IDS_DIFF_COUNT)
                               .replace(QStringLiteral("%d"), QString::number(differences.size()));
        stayOpen(outcomeText(app.catalog(), outcome));
        if (ShowMessageBox(this, text, app.LangText("IDS_ERROR"), MsgButtons::Ok, MsgIcon::Stop,
                           app.LangText(lang::IDS_VERIFY_RETRY)) == MsgExtra)
            OnOK();
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
    case TransferState::TypeError: {
        // No radio answered: the box offers the connection check, which names the cause. A
        // radio that answered but did not identify itself is a case for the problem report.
        const bool noAnswer = outcome.state == TransferState::PortError && !outcome.wokeUp;
        const int answer = ShowMessageBox(
            this, outcomeText(app.catalog(), outcome), app.LangText("IDS_ERROR"), MsgButtons::Ok,
            MsgIcon::Stop,
            app.LangText(noAnswer ? lang::IDS_CHECK_BUTTON : lang::IDS_REPORT_BUTTON));
        done(QDialog::Rejected);
        if (answer == MsgExtra && noAnswer) {
            CConnectionDlg check(app, parentWidget());
            check.exec();
        } else if (answer == MsgExtra) {
            SaveProblemReport(app, parentWidget());
        }
        break;
    }
    case TransferState::ReadFailed:
    case TransferState::WriteFailed:
    case TransferState::ConnectionLost:
        // The dialog stays open; OK tries again.
        stayOpen(outcomeText(app.catalog(), outcome));
        break;
    case TransferState::ReadDone: {
        std::memcpy(app.document()->image().data(), transfer.image().data(), RadioImage::Size);
        // Undoable, and leaving the modified flag as it was.
        app.document()->EndStep(lang::IDS_STEP_READ, false);
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
