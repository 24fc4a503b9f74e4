#include "gui/link/CTransferDlg.h"

#include "core/link/CSerialPort.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

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
constexpr int TypeConfirm = 3; // a state the dialog answers, though no worker step sets it
} // namespace

CTransferDlg::CTransferDlg(COrvikApp& application, QWidget* parent)
    : QDialog(parent), app(application) {
    message = new QLabel(this);
    SetControlId(message, ids::IDC_TRANSFER_MESSAGE);
    message->setTextFormat(Qt::PlainText);
    message->setMinimumWidth(340);
    message->setWordWrap(true);
    progress = new QProgressBar(this);
    SetControlId(progress, ids::IDC_TRANSFER_PROGRESS);
    progress->setTextVisible(false);

    auto* box = new QDialogButtonBox(this);
    ok = box->addButton("OK", QDialogButtonBox::ActionRole);
    cancel = box->addButton("Cancel", QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    SetControlId(ok, ids::IDOK);
    SetControlId(cancel, ids::IDCANCEL);
    connect(ok, &QPushButton::clicked, this, &CTransferDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CTransferDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(message);
    layout->addWidget(progress);
    layout->addSpacing(8);
    layout->addWidget(box);
}

CTransferDlg::~CTransferDlg() {
    stopTimer();
    worker.cancelAndJoin();
    closePort();
}

int CTransferDlg::exec() {
    initDialog();
    return QDialog::exec();
}

void CTransferDlg::initDialog() {
    setWindowTitle("Transfer");
    ApplyDialogTexts(app.catalog(), this, ids::IDD_TRANSFER);
    setWindowTitle(app.LangText(isRead ? "IDS_READDATA" : "IDS_WRITEDATA"));
    progress->setRange(0, 1024);
    progress->setValue(0);
    message->clear();
    ok->setEnabled(true);
}

void CTransferDlg::OnOK() {
    if (worker.running())
        return;
    COrvikDoc* doc = app.document();
    std::memcpy(workingCopy.data(), doc->image().data(), RadioImage::Size);
    app.port().SetBaudRate(9600);
    transferJob.Reset(isRead, workingCopy.data());
    transferJob.port = &app.port();
    transferJob.iniPath = app.paths().SettingsFilePath();
    message->setText(app.LangText(isRead ? "IDS_PROMPT_READ" : "IDS_PROMPT_WRITE"));
    worker.start(transferJob);
    ok->setEnabled(false);
    timerId = startTimer(TimerInterval);
}

void CTransferDlg::stopTimer() {
    if (timerId) {
        killTimer(timerId);
        timerId = 0;
    }
}

void CTransferDlg::closePort() {
    // The worker has published its last state or was cancelled; it is gone before the port is.
    worker.join();
    app.port().Close();
}

void CTransferDlg::reject() {
    transferJob.cancel.store(1);
    stopTimer();
    worker.cancelAndJoin();
    closePort();
    QDialog::reject();
}

void CTransferDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timerId && timerId)
        onTimer();
    else
        QDialog::timerEvent(event);
}

QString CTransferDlg::portErrorText() const {
    QString text = app.LangText("IDS_ERROR_PORTCONN");
    // When the configured port could not even be opened, say why, so the user can act on it.
    if (transferJob.firstPortOpened)
        return text;
    const QString device = QString::fromStdString(transferJob.firstDevicePath);
    switch (transferJob.firstOpenError) {
    case CSerialPort::OpenError::PermissionDenied:
        text += "\n\n" + device + "\n" + app.LangText("IDS_ERROR_PORT_DENIED");
        break;
    case CSerialPort::OpenError::Busy:
        text += "\n\n" + device + "\n" + app.LangText("IDS_ERROR_PORT_BUSY");
        break;
    case CSerialPort::OpenError::NoDevice:
        text += "\n\n" + (device.isEmpty() ? QString() : device + "\n") +
                app.LangText("IDS_ERROR_PORT_MISSING");
        break;
    case CSerialPort::OpenError::Other:
        text += "\n\n" + device + "\n" + QString::fromStdString(transferJob.firstOpenErrorText);
        break;
    case CSerialPort::OpenError::None:
        break;
    }
    return text;
}

void CTransferDlg::onTimer() {
    const int found = transferJob.foundPort.load();
    const int value = transferJob.progress.load();
    if (found > 0)
        app.ShowPortInStatusBar(value);
    const int state = transferJob.state.load(std::memory_order_acquire);
    switch (state) {
    case Busy:
        break;
    case PortError:
        stopTimer();
        closePort();
        ShowMessageBox(this, portErrorText(), app.LangText("IDS_ERROR"), MsgButtons::Ok,
                       MsgIcon::Stop);
        done(QDialog::Rejected);
        break;
    case TypeError:
        stopTimer();
        closePort();
        ShowMessageBox(this, app.LangText("IDS_ERROR_TYPE"), app.LangText("IDS_ERROR"),
                       MsgButtons::Ok, MsgIcon::Stop);
        done(QDialog::Rejected);
        break;
    case ReadProgress:
    case WriteProgress:
        message->setText(app.LangText(isRead ? "IDS_PROMPT_READ" : "IDS_PROMPT_WRITE") +
                         QStringLiteral(" %1%").arg(value));
        progress->setValue(value * 1024 / 100);
        break;
    case ReadFailed:
    case WriteFailed:
        stopTimer();
        closePort();
        message->setText(
            app.LangText(state == ReadFailed ? "IDS_PROMPT_READFAIL" : "IDS_PROMPT_WRITEFAIL"));
        ok->setEnabled(true);
        break;
    case ReadDone: {
        stopTimer();
        closePort();
        COrvikDoc* doc = app.document();
        std::memcpy(doc->image().data(), workingCopy.data(), RadioImage::Size);
        app.RefreshLanguage();
        done(QDialog::Accepted);
        break;
    }
    case WriteDone:
        stopTimer();
        closePort();
        done(QDialog::Accepted);
        break;
    case Searching:
        message->setText(app.LangText("IDS_SEARCHCOMPORT") + QString(value % 16, QChar('.')));
        break;
    case TypeConfirm:
        stopTimer();
        if (ShowMessageBox(this, app.LangText("IDS_CONFIRM_TYPE"), app.LangText("IDS_CONFIRM"),
                           MsgButtons::OkCancel, MsgIcon::Question) == MsgOk) {
            transferJob.state.store(Busy);
            timerId = startTimer(TimerInterval);
        } else {
            transferJob.state.store(TypeError);
            worker.cancelAndJoin();
            closePort();
            done(QDialog::Rejected);
        }
        break;
    default:
        // No worker step publishes such a value; whatever the worker still does is stopped
        // before the port is closed.
        stopTimer();
        worker.cancelAndJoin();
        closePort();
        done(QDialog::Rejected);
        break;
    }
}

} // namespace orvik
