#include "gui/link/CPortDlg.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/link/CSerialPort.h"
#include "core/link/ConnectionCheck.h"
#include "core/link/PortNames.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvik {

namespace {
QString openFailureText(LangCatalog& catalog, const CSerialPort& port) {
    const QString device = QString::fromStdString(port.LastDevicePath());
    if (device.isEmpty())
        return LangText(catalog, "IDS_ERROR_PORT_MISSING");
    QString reason;
    switch (port.LastOpenError()) {
    case CSerialPort::OpenError::NoDevice:
        reason = LangText(catalog, "IDS_ERROR_PORT_MISSING");
        break;
    case CSerialPort::OpenError::PermissionDenied:
        reason = LangText(catalog, "IDS_ERROR_PORT_DENIED");
        break;
    case CSerialPort::OpenError::Busy:
        reason = LangText(catalog, "IDS_ERROR_PORT_BUSY");
        break;
    default:
        reason = QString::fromStdString(port.LastOpenErrorText());
        break;
    }
    return device + "\n" + reason;
}
} // namespace

CPortDlg::CPortDlg(COrvikApp& application, QWidget* parent) : QDialog(parent), app(application) {
    setWindowTitle("Communication Port");
    auto* group = new QGroupBox(this);
    SetControlId(group, ids::IDC_PORT_GROUP);
    auto* grid = new QGridLayout(group);
    auto* exclusive = new QButtonGroup(this);
    for (int n = 1; n <= 8; ++n) {
        auto* b = new QRadioButton(QStringLiteral("COM%1").arg(n), group);
        SetControlId(b, 1000 + n);
        exclusive->addButton(b, n);
        grid->addWidget(b, (n - 1) % 4, (n - 1) / 4 * 2);
        buttons[n - 1] = b;
        labels[n - 1] = new QLabel(group);
        grid->addWidget(labels[n - 1], (n - 1) % 4, (n - 1) / 4 * 2 + 1);
    }
    searchCheck = new QCheckBox("Search other ports", this);
    SetControlId(searchCheck, ids::IDC_SEARCH_COM);
    connect(searchCheck, &QCheckBox::clicked, this, &CPortDlg::onSearchClicked);

    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton("OK", QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton("Cancel", QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    SetControlId(ok, ids::IDOK);
    SetControlId(cancel, ids::IDCANCEL);
    connect(box, &QDialogButtonBox::accepted, this, &CPortDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CPortDlg::reject);

    devicesTitle = new QLabel(app.LangText(lang::IDS_PORT_OTHER_DEVICES), this);
    devices = new QListWidget(this);
    devices->setMaximumHeight(devices->fontMetrics().height() * 5);
    useAsNumber = new QComboBox(this);
    for (int n = 1; n <= 8; ++n)
        useAsNumber->addItem(QStringLiteral("COM%1").arg(n), n);
    useAs = new QPushButton(app.LangText(lang::IDS_PORT_USE_AS), this);
    useAs->setAutoDefault(false);
    useAs->setEnabled(false);
    connect(devices, &QListWidget::currentRowChanged, this,
            [this](int row) { useAs->setEnabled(row >= 0); });
    connect(useAs, &QPushButton::clicked, this, &CPortDlg::onUseAs);
    auto* useRow = new QHBoxLayout;
    useRow->addStretch();
    useRow->addWidget(useAs);
    useRow->addWidget(useAsNumber);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(devicesTitle);
    layout->addWidget(devices);
    layout->addLayout(useRow);
    layout->addWidget(searchCheck);
    layout->addSpacing(6);
    layout->addWidget(box);

    ApplyDialogTexts(app.catalog(), this, ids::IDD_PORT);

    const std::string& ini = app.paths().SettingsFilePath();
    const int com = app.ConfiguredPort();
    app.port().Close();
    for (int n = 1; n <= 8; ++n) {
        QAbstractButton* b = buttons[n - 1];
        if (n == com)
            b->setChecked(true);
        if (probe(n))
            b->setChecked(n == com);
    }
    fillDeviceList();
    const int search = app.SessionSearch() >= 0
                           ? app.SessionSearch()
                           : ini::GetInt(ini, keys::SetupSection, keys::SearchComKey, 1);
    searchCheck->setChecked(search != 0);
    // Wide enough for the caption in the title bar.
    setFixedSize(sizeHint().expandedTo(QSize(280, 0)));
}

bool CPortDlg::probe(int n) {
    const std::string& ini = app.paths().SettingsFilePath();
    CSerialPort& port = app.port();
    QAbstractButton* b = buttons[n - 1];
    QLabel* label = labels[n - 1];
    const QString device = QString::fromStdString(PortDevicePath(ini, n));
    label->setText(device.isEmpty() ? app.LangText(lang::IDS_CHECK_NO_DEVICE) : device);
    const bool opened = port.Open(n, 9600);
    if (opened) {
        port.Close();
        b->setToolTip(device);
    } else {
        b->setToolTip(openFailureText(app.catalog(), port));
    }
    b->setEnabled(opened);
    label->setEnabled(opened);
    label->setToolTip(b->toolTip());
    return opened;
}

void CPortDlg::fillDeviceList() {
    devices->clear();
    const CheckEnvironment env =
        CheckEnvironment::ForThisProcess(app.paths().SettingsFilePath(), std::string());
    for (const SerialDevice& d : ListSerialDevices(env)) {
        if (d.port >= 1 && d.port <= 8)
            continue;
        QString what = QString::fromStdString(d.vendorId + ":" + d.productId);
        if (!d.product.empty())
            what += " " + QString::fromStdString(d.product);
        auto* item = new QListWidgetItem(QString::fromStdString(d.path) + "  (" + what + ")");
        item->setData(Qt::UserRole, QString::fromStdString(d.path));
        devices->addItem(item);
        for (const std::string& name : d.byId) {
            auto* alias = new QListWidgetItem(QString::fromStdString(name));
            alias->setData(Qt::UserRole, QString::fromStdString(name));
            devices->addItem(alias);
        }
    }
    const bool any = devices->count() > 0;
    devicesTitle->setVisible(any);
    devices->setVisible(any);
    useAs->setVisible(any);
    useAsNumber->setVisible(any);
    useAs->setEnabled(devices->currentRow() >= 0);
}

void CPortDlg::onUseAs() {
    const QListWidgetItem* item = devices->currentItem();
    if (item == nullptr)
        return;
    const int n = useAsNumber->currentData().toInt();
    if (n < 1 || n > 8)
        return;
    app.port().Close();
    ini::WriteString(app.paths().SettingsFilePath(), keys::PortsSection, "COM" + std::to_string(n),
                     item->data(Qt::UserRole).toString().toStdString());
    if (probe(n))
        buttons[n - 1]->setChecked(true);
    fillDeviceList();
}

QLabel* CPortDlg::portLabel(int n) const {
    return n >= 1 && n <= 8 ? labels[n - 1] : nullptr;
}

QAbstractButton* CPortDlg::portButton(int n) const {
    return n >= 1 && n <= 8 ? buttons[n - 1] : nullptr;
}

void CPortDlg::onSearchClicked(bool checked) {
    if (ini::WriteString(app.paths().SettingsFilePath(), keys::SetupSection, keys::SearchComKey,
                         checked ? "1" : "0")) {
        app.SetSessionSearch(-1);
    } else {
        app.SetSessionSearch(checked ? 1 : 0);
        app.ReportSettingNotStored(this);
    }
}

void CPortDlg::accept() {
    const std::string& ini = app.paths().SettingsFilePath();
    for (int n = 1; n <= 8; ++n) {
        if (!buttons[n - 1]->isChecked())
            continue;
        if (n != app.ConfiguredPort()) {
            app.port().Close();
            if (ini::WriteString(ini, keys::SetupSection, keys::ComKey, std::to_string(n))) {
                app.SetSessionPort(0);
            } else {
                // Not stored: the choice holds for this session, and the user is told.
                app.SetSessionPort(n);
                app.ReportSettingNotStored(this);
            }
        }
        break;
    }
    app.ShowPortInStatusBar(app.ConfiguredPort());
    QDialog::accept();
}

} // namespace orvik
