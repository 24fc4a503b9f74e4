#include "gui/link/CFleetDlg.h"

#include "core/lang/LangKeys.h"
#include "core/model/Backup.h"
#include "core/profile/AtomicSave.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/ChannelChecker.h"
#include "gui/app/MessageBox.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace orvik {

namespace {

QString portName(const PresentPort& p) {
    return QStringLiteral("COM%1").arg(p.port);
}

// '&' markers are for buttons and menus; a label or heading shows the text without them.
QString plain(const std::string& text) {
    return QString::fromStdString(text).remove(QLatin1Char('&'));
}

} // namespace

CFleetDlg::CFleetDlg(COrvikApp& application, QWidget* parent) : QDialog(parent), app(application) {
    setWindowTitle(plain(text(lang::IDS_FLEET_TITLE)));
    ports = new QTableWidget(0, ColumnCount, this);
    ports->setHorizontalHeaderLabels(
        {plain(text(lang::IDS_FLEET_HEAD_PORT)), plain(text(lang::IDS_FLEET_HEAD_DEVICE)),
         plain(text(lang::IDS_FLEET_HEAD_CABLE)), plain(text(lang::IDS_FLEET_HEAD_PROGRESS)),
         plain(text(lang::IDS_FLEET_HEAD_RESULT))});
    ports->verticalHeader()->hide();
    ports->setSelectionMode(QAbstractItemView::NoSelection);
    ports->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ports->horizontalHeader()->setSectionResizeMode(ColResult, QHeaderView::Stretch);
    ports->setMinimumWidth(680);

    const std::string& ini = app.paths().SettingsFilePath();
    verifyBox = new QCheckBox(plain(text(lang::IDS_VERIFY_CHECK)), this);
    verifyBox->setChecked(VerifyAfterWrite(ini));
    backupBox = new QCheckBox(plain(text(lang::IDS_BACKUP_CHECK)), this);
    backupBox->setChecked(LoadBackupSettings(ini).beforeWrite);
    repeatBox = new QCheckBox(plain(text(lang::IDS_FLEET_REPEAT)), this);
    count = new QLabel(this);
    count->setTextFormat(Qt::PlainText);
    checkLine =
        new QLabel(WriteCheckNote(app.paths(), app.catalog(), app.document()->image()), this);
    checkLine->setObjectName("checkLine");
    checkLine->setTextFormat(Qt::PlainText);
    checkLine->setWordWrap(true);
    checkLine->setVisible(!checkLine->text().isEmpty());

    auto* box = new QDialogButtonBox(this);
    startBtn = box->addButton(QString::fromStdString(text(lang::IDS_FLEET_START)),
                              QDialogButtonBox::ActionRole);
    stopBtn = box->addButton(QString::fromStdString(text(lang::IDS_FLEET_STOP)),
                             QDialogButtonBox::ActionRole);
    reportBtn = box->addButton(QString::fromStdString(text(lang::IDS_FLEET_SAVE_REPORT)),
                               QDialogButtonBox::ActionRole);
    closeBtn = box->addButton(QString::fromStdString(text(lang::IDS_FLEET_CLOSE)),
                              QDialogButtonBox::RejectRole);
    startBtn->setDefault(true);
    connect(startBtn, &QPushButton::clicked, this, &CFleetDlg::Start);
    connect(stopBtn, &QPushButton::clicked, this, &CFleetDlg::Stop);
    connect(reportBtn, &QPushButton::clicked, this, &CFleetDlg::SaveReport);
    connect(closeBtn, &QPushButton::clicked, this, &CFleetDlg::reject);

    // The port threads' events, handled here on the UI thread. An end that comes after Stop,
    // or from a job before the one running, finds nothing to join (wait(0) is false while the
    // running job has ports at work).
    connect(&events, &FleetEvents::changed, this, &CFleetDlg::refresh, Qt::QueuedConnection);
    connect(
        &events, &FleetEvents::jobEnded, this,
        [this] {
            if (job.wait(0)) {
                refresh();
                finish();
            }
        },
        Qt::QueuedConnection);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ports);
    auto* options = new QHBoxLayout;
    options->addWidget(verifyBox);
    options->addWidget(backupBox);
    options->addWidget(repeatBox);
    options->addStretch();
    layout->addLayout(options);
    layout->addWidget(checkLine);
    layout->addWidget(count);
    layout->addWidget(box);

    showRows();
    setRunning(false);
}

CFleetDlg::~CFleetDlg() {
    job.cancel();
}

std::string CFleetDlg::text(std::string_view key) const {
    return app.catalog().text(key);
}

// A row per port number whose device exists; ports bound in setting.ini or with a cable name
// start checked, the built-in serial ports (ttyS) unchecked.
void CFleetDlg::showRows() {
    present = PresentPorts(app.paths().SettingsFilePath());
    ports->setRowCount(static_cast<int>(present.size()));
    for (int row = 0; row < static_cast<int>(present.size()); ++row) {
        const PresentPort& p = present[static_cast<std::size_t>(row)];
        auto* port = new QTableWidgetItem(portName(p));
        port->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        const bool builtIn = p.device.rfind("/dev/ttyS", 0) == 0;
        port->setCheckState(builtIn ? Qt::Unchecked : Qt::Checked);
        ports->setItem(row, ColPort, port);
        ports->setItem(row, ColDevice, new QTableWidgetItem(QFile::decodeName(p.device.c_str())));
        ports->setItem(row, ColCable, new QTableWidgetItem(QString::fromStdString(p.cable)));
        auto* bar = new QProgressBar(ports);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setAccessibleName(portName(p));
        ports->setCellWidget(row, ColProgress, bar);
        ports->setItem(row, ColResult, new QTableWidgetItem);
    }
    ports->resizeColumnsToContents();
    if (present.empty())
        count->setText(QString::fromStdString(text(lang::IDS_FLEET_NO_PORTS)));
}

void CFleetDlg::setRunning(bool isRunning) {
    startBtn->setEnabled(!isRunning && !present.empty());
    stopBtn->setEnabled(isRunning);
    reportBtn->setEnabled(!isRunning && !outcomes.empty());
    verifyBox->setEnabled(!isRunning);
    backupBox->setEnabled(!isRunning);
    repeatBox->setEnabled(!isRunning);
    for (int row = 0; row < ports->rowCount(); ++row)
        ports->item(row, ColPort)
            ->setFlags(isRunning ? Qt::ItemIsUserCheckable
                                 : Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
}

void CFleetDlg::Start() {
    if (job.running())
        return;
    FleetRequest request;
    request.iniPath = app.paths().SettingsFilePath();
    rowOfTarget.clear();
    for (int row = 0; row < ports->rowCount(); ++row) {
        if (ports->item(row, ColPort)->checkState() != Qt::Checked)
            continue;
        request.targets.push_back({present[static_cast<std::size_t>(row)].port, {}});
        rowOfTarget.push_back(row);
        static_cast<QProgressBar*>(ports->cellWidget(row, ColProgress))->setValue(0);
        ports->item(row, ColResult)->setText(QString());
    }
    if (request.targets.empty())
        return;
    request.verify = verifyBox->isChecked();
    if (backupBox->isChecked()) {
        request.backup = LoadBackupSettings(request.iniPath);
        request.backup->beforeWrite = true;
    }
    request.hotSwap = repeatBox->isChecked();
    outcomes.clear();
    const auto& image = app.document()->image();
    written.assign(image.data(), image.data() + RadioImage::Size);
    count->setText(QString::fromStdString(FleetCountText({}, [this](auto k) { return text(k); })));
    if (!job.start(request, app.document()->image().data(), &events))
        return;
    setRunning(true);
}

void CFleetDlg::refresh() {
    const TextLookup lookup = [this](std::string_view k) { return text(k); };
    outcomes = job.outcomes();
    std::vector<const FleetOutcome*> last(rowOfTarget.size(), nullptr);
    for (const FleetOutcome& o : outcomes) {
        if (o.target >= 0 && o.target < static_cast<int>(last.size()))
            last[static_cast<std::size_t>(o.target)] = &o;
    }
    for (std::size_t t = 0; t < rowOfTarget.size(); ++t) {
        const int row = rowOfTarget[t];
        const FleetPortStatus st = job.status(static_cast<int>(t));
        auto* bar = static_cast<QProgressBar*>(ports->cellWidget(row, ColProgress));
        QString result;
        if (st.phase == FleetPhase::Writing || last[t] == nullptr) {
            result = QString::fromStdString(FleetPhaseText(st, lookup));
            bar->setValue(st.phase == FleetPhase::Writing ? st.percent : 0);
        } else {
            result = QString::fromStdString(FleetResultText(*last[t], lookup));
            if (!last[t]->differences.empty())
                result += " - " + QString::fromStdString(
                                      FleetDifferencesText(differences(*last[t], true), lookup));
            bar->setValue(FleetSucceeded(*last[t]) ? 100 : bar->value());
        }
        ports->item(row, ColResult)->setText(result);
        QString tip;
        if (last[t] != nullptr) {
            const std::vector<std::string> lines = differences(*last[t], false);
            tip =
                QString::fromStdString(TransferMessage(last[t]->transfer, lookup, !lines.empty()));
            for (const std::string& line : lines)
                tip += "\n" + QString::fromStdString(line);
        }
        ports->item(row, ColResult)->setToolTip(tip);
    }
    count->setText(QString::fromStdString(FleetCountText(TallyFleet(outcomes), lookup)));
}

void CFleetDlg::finish() {
    setRunning(false);
}

void CFleetDlg::Stop() {
    if (!job.running())
        return;
    job.cancel(); // every session stops within one wait; the threads are joined
    refresh();
    finish();
}

void CFleetDlg::reject() {
    Stop();
    QDialog::reject();
}

std::vector<std::string> CFleetDlg::differences(const FleetOutcome& outcome, bool places) const {
    if (outcome.readBack.size() != RadioImage::Size || written.size() != RadioImage::Size)
        return {};
    const std::string ini = app.paths().SettingsFilePath();
    return places ? MismatchPlaces(written.data(), outcome.readBack.data(), app.catalog(), ini)
                  : MismatchLines(written.data(), outcome.readBack.data(), app.catalog(), ini);
}

void CFleetDlg::SaveReport() {
    if (outcomes.empty())
        return;
    FileDialogRequest request;
    request.mode = FileDialogMode::Save;
    request.directory = QDir::homePath();
    request.suggestedName = QStringLiteral("report.json");
    request.filters = QStringList{QString::fromStdString(text(lang::IDS_FLEET_REPORT_FILTER))};
    request.defaultSuffix = QStringLiteral("json");
    const QString name = AskFileName(this, request);
    if (name.isEmpty())
        return;
    const std::string path = QFile::encodeName(name).toStdString();
    const SaveResult saved =
        SaveFileAtomically(path,
                           FleetReport(
                               path, outcomes, [this](std::string_view k) { return text(k); },
                               [this](const FleetOutcome& o) { return differences(o, false); }),
                           SaveMode::Replace);
    if (!saved.ok)
        ShowMessageBox(this, QString::fromStdString(saved.errorText), windowTitle(), MsgButtons::Ok,
                       MsgIcon::Stop);
}

} // namespace orvik
