#include "gui/link/CTransferDlg.h"

#include "core/lang/LangKeys.h"
#include "core/link/CSerialPort.h"
#include "core/model/RadioImage.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/app/ProblemReportUi.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/link/CConnectionDlg.h"

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
    showMessage(app.LangText(isRead ? "IDS_PROMPT_READ" : "IDS_PROMPT_WRITE"));
    report->hide();
    transfer.start(request, app.document()->image().data(), app.port());
    ok->setEnabled(false);
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
    if (wasRunning && outcome.cancelled && outcome.partlyWritten())
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

void CTransferDlg::progress(int percent) {
    showMessage(app.LangText(isRead ? "IDS_PROMPT_READ" : "IDS_PROMPT_WRITE") +
                QStringLiteral(" %1%").arg(percent));
    bar->setValue(percent * 1024 / 100);
}

void CTransferDlg::finished(const TransferOutcome& outcome) {
    // The timer goes first, so that a message box never meets a further tick; the session has
    // joined the worker and closed the port.
    stopTimer();
    app.SetLastTrace(transfer.trace().Text());
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
        showMessage(outcomeText(app.catalog(), outcome));
        ok->setEnabled(true);
        report->show();
        // Enter tries again: OK is the default button again (Cancel took that role while the
        // job ran).
        ok->setDefault(true);
        ok->setFocus(Qt::OtherFocusReason);
        break;
    case TransferState::ReadDone:
        std::memcpy(app.document()->image().data(), transfer.image().data(), RadioImage::Size);
        // Undoable, and leaving the modified flag as it was.
        app.document()->EndStep(lang::IDS_STEP_READ, false);
        app.RefreshLanguage();
        done(QDialog::Accepted);
        break;
    case TransferState::WriteDone:
        done(QDialog::Accepted);
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
