#include "gui/views/COrvikView.h"

#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/ResourceIds.h"
#include "gui/frame/CMainFrame.h"
#include "gui/lang/LangUi.h"

namespace orvik {

COrvikView::COrvikView(COrvikApp& application, COrvikDoc& document, QWidget* parent)
    : QScrollArea(parent), app(application), doc(document) {
    formWidget = new QWidget;
    setWidget(formWidget);
    setWidgetResizable(false);
    connect(&doc, &COrvikDoc::viewsUpdateRequested, this, &COrvikView::OnUpdate);
}

void COrvikView::OnInitialUpdate() {
    OnUpdate();
    app.RelabelMenu();
}

void COrvikView::OnUpdate() {
    if (CMainFrame* frame = app.mainFrame())
        frame->UpdateFrameTitle();
    ApplyDialogTexts(formWidget, ids::IDD_FORMVIEW);
}

void COrvikView::OnFilePrint(bool) {}
void COrvikView::OnFilePrintPreview() {}
void COrvikView::OnFilePrintSetup() {}

} // namespace orvik
