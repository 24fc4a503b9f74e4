#include "gui/link/CPortDlg.h"

#include "core/lang/LangCatalog.h"
#include "core/link/CSerialPort.h"
#include "core/link/PortNames.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
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
        grid->addWidget(b, (n - 1) % 4, (n - 1) / 4);
        buttons[n - 1] = b;
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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(searchCheck);
    layout->addSpacing(6);
    layout->addWidget(box);

    ApplyDialogTexts(app.catalog(), this, ids::IDD_PORT);

    const std::string& ini = app.paths().SettingsFilePath();
    const int com = app.ConfiguredPort();
    CSerialPort& port = app.port();
    port.Close();
    for (int n = 1; n <= 8; ++n) {
        QAbstractButton* b = buttons[n - 1];
        if (n == com)
            b->setChecked(true);
        if (port.Open(n, 9600)) {
            port.Close();
            b->setChecked(n == com);
            b->setToolTip(QString::fromStdString(PortDevicePath(ini, n)));
        } else {
            b->setEnabled(false);
            b->setToolTip(openFailureText(app.catalog(), port));
        }
    }
    const int search = app.SessionSearch() >= 0
                           ? app.SessionSearch()
                           : ini::GetInt(ini, keys::SetupSection, keys::SearchComKey, 1);
    searchCheck->setChecked(search != 0);
    // Wide enough for the caption in the title bar.
    setFixedSize(sizeHint().expandedTo(QSize(280, 0)));
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
