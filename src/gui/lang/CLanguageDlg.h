#pragma once
// The Language dialog (131): lists the *.lang files of the program directory by display name;
// OK rewrites setup/language of setting.ini and relabels the whole program.

#include <QDialog>

class QComboBox;

namespace orvik {

class COrvikApp;

class CLanguageDlg : public QDialog {
    Q_OBJECT
public:
    CLanguageDlg(COrvikApp& app, QWidget* parent);

    QComboBox* list() const { return languageList; }

    void accept() override;

private:
    COrvikApp& app;
    QComboBox* languageList = nullptr;
};

} // namespace orvik
