// The window side of channel plans and the channel check: File > New from Plan, Edit > Insert
// from Plan, View > Check Channels, and the warning marks of the channel table.

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/lang/PlanKeys.h"
#include "core/model/ChannelPlan.h"
#include "core/profile/PrintableText.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/CPlanDlg.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/views/COrvikView.h"
#include "gui/views/CheckMarks.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace orvik {

namespace {
// How long the message after inserting a plan stays in the status bar.
constexpr int PlanMessageMs = 8000;
} // namespace

void CMainFrame::connectChannelCheck() {
    checkMarks = new CheckMarks(app.paths(), app.catalog(), doc, *formView->grid(), this);
}

void CMainFrame::OnEditInsertFromPlan() {
    formView->endOpenEdit();
    const std::vector<ChannelPlan> plans = LoadChannelPlans(app.paths());
    CPlanDlg dialog(app.catalog(), plans, doc.data(), CPlanDlg::Mode::Insert, {}, this);
    if (dialog.exec() == QDialog::Accepted && dialog.plan() != nullptr)
        insertPlan(*dialog.plan(), dialog.options());
}

void CMainFrame::OnFileNewFromPlan() {
    formView->endOpenEdit();
    if (!SaveModified())
        return;
    const std::vector<ChannelPlan> plans = LoadChannelPlans(app.paths());
    CPlanDlg dialog(app.catalog(), plans, doc.data(), CPlanDlg::Mode::New,
                    ReadBandNames(app.paths().SettingsFilePath()), this);
    if (dialog.exec() != QDialog::Accepted || dialog.plan() == nullptr)
        return;
    doc.OnNewDocument();
    if (doc.image().bandListPosition() != dialog.bandPosition())
        doc.SetBand(dialog.bandPosition());
    insertPlan(*dialog.plan(), dialog.options());
}

void CMainFrame::insertPlan(const ChannelPlan& plan, const PlanApplyOptions& options) {
    PlanApplyResult result;
    doc.ApplyPlan(plan, options, result);
    doc.UpdateAllViews();
    // The count, and the first value the import adjusted (the dialog showed them all).
    QString message = FillText(app.LangText(lang::IDS_STATUS_PLAN),
                               {QString::number(result.import.imported.size()),
                                QString::fromStdString(PrintableText(plan.name))});
    const auto lookup = [this](std::string_view key) { return app.catalog().text(key); };
    if (!result.import.notes.empty() || !result.notPlaced.empty())
        message += QStringLiteral(" \u2014 ") +
                   QString::fromStdString(PlanReportLines(result, lookup).front());
    ShowStatusMessage(message, PlanMessageMs);
}

void CMainFrame::OnViewCheckChannels() {
    formView->endOpenEdit();
    // setting.ini or a plans folder may have changed since the marks were made.
    checkMarks->reload();
    const ChannelChecker& checker = checkMarks->checker();
    const QString title = app.LangText(lang::IDS_RULE_TITLE);
    const QString disclaimer = ChannelChecker::disclaimer(app.catalog());
    if (!checker.enabled()) {
        ShowMessageBox(this, app.LangText(lang::IDS_RULE_OFF), title, MsgButtons::Ok,
                       MsgIcon::Information);
        return;
    }
    const std::vector<CheckFinding> findings = checker.check(doc.image());
    if (findings.empty()) {
        ShowMessageBox(this, app.LangText(lang::IDS_RULE_NONE) + "\n\n" + disclaimer, title,
                       MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    showFindings(findings);
}

void CMainFrame::showFindings(const std::vector<CheckFinding>& findings) {
    QDialog dialog(this);
    dialog.setObjectName("checkChannelsDialog");
    dialog.setWindowTitle(app.LangText(lang::IDS_RULE_TITLE));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setWordWrap(true);
    list->setMinimumSize(560, 200);
    for (const CheckFinding& f : findings) {
        auto* item = new QListWidgetItem(ChannelChecker::findingText(app.catalog(), f), list);
        item->setData(Qt::UserRole, f.channel);
    }
    auto* note = new QLabel(ChannelChecker::disclaimer(app.catalog()), &dialog);
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // A finding chosen: its channel's row becomes the table's selection.
    connect(list, &QListWidget::itemActivated, &dialog, [this, &dialog](QListWidgetItem* item) {
        const int n = item->data(Qt::UserRole).toInt();
        CGridCtrl* grid = formView->grid();
        grid->SetFocusCell(n, 1);
        grid->SetSelectedRange(n, 1, n, grid->columnCount() - 1);
        grid->ensureVisible(n, 1);
        dialog.accept();
    });
    layout->addWidget(list, 1);
    layout->addWidget(note);
    layout->addWidget(buttons);
    dialog.exec();
}

} // namespace orvik
