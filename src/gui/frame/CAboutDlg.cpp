#include "gui/frame/CAboutDlg.h"

#include "core/lang/LangCatalog.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace orvik {

CAboutDlg::CAboutDlg(LangCatalog& catalog, QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    auto* version = new QLabel("QTB-9263 1.01", this);
    SetControlId(version, ids::IDC_ABOUT_VERSION);
    auto* text = new QLabel(this);
    SetControlId(text, ids::IDC_ABOUT_TEXT);
    // The program and the version it was built as.
    auto* program = new QLabel(this);
    program->setObjectName("programVersion");
    program->setText(FillText(QString::fromStdString(catalog.text("IDS_ABOUT_VERSION")),
                              {QStringLiteral(ORVIK_VERSION)}));
    for (QLabel* l : {version, text, program})
        l->setTextFormat(Qt::PlainText);

    auto* lines = new QVBoxLayout;
    lines->addWidget(version);
    lines->addWidget(text);
    lines->addWidget(program);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(18, 18, 24, 18);
    row->setSpacing(16);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(lines);

    ApplyDialogTexts(catalog, this, ids::IDD_ABOUTBOX);
    setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

} // namespace orvik
