#include "gui/link/CConnectionDlg.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/link/CSerialPort.h"
#include "core/link/ConnectionCheck.h"
#include "gui/app/COrvikApp.h"
#include "gui/lang/ResourceIds.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvik {

CConnectionDlg::CConnectionDlg(COrvikApp& application, QWidget* parent)
    : QDialog(parent), app(application) {
    setWindowTitle(app.LangText(lang::IDS_CHECK_TITLE));
    report = new QPlainTextEdit(this);
    report->setReadOnly(true);
    report->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* box = new QDialogButtonBox(this);
    copy = box->addButton(app.LangText(lang::IDS_CHECK_COPY), QDialogButtonBox::ActionRole);
    QPushButton* close = box->addButton(QDialogButtonBox::Close);
    if (const std::string ok = app.catalog().resource(ids::IDOK); !ok.empty())
        close->setText(QString::fromStdString(ok));
    close->setDefault(true);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(reportText()); });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(report);
    layout->addWidget(box);
    resize(640, 420);
    refresh();
}

QString CConnectionDlg::reportText() const {
    return report->toPlainText();
}

void CConnectionDlg::refresh() {
    app.port().Close();
    LangCatalog& catalog = app.catalog();
    const CheckText text = [&catalog](std::string_view key) { return catalog.text(key); };
    const CheckEnvironment env = CheckEnvironment::ForThisProcess(
        app.paths().SettingsFilePath(), UdevRulePath(app.paths().DataDirectory()));
    const ConnectionReport result = CheckConnection(env, text);
    report->setPlainText(QString::fromStdString(ConnectionReportText(result, text)));
}

} // namespace orvik
