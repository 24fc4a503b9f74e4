#pragma once
// The About box (dialog 100): program icon, model and version line, one more line. No buttons;
// closed with Escape or the window's close box.

#include <QDialog>

namespace orvik {

class LangCatalog;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(LangCatalog& catalog, QWidget* parent);
};

} // namespace orvik
