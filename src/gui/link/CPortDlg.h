#pragma once
// The Communication Port dialog (130): COM1 to COM8, each disabled when it cannot be opened, and
// the search flag. OK stores a changed port in setting.ini and shows it in the status bar.

#include <QDialog>

class QAbstractButton;
class QCheckBox;

namespace orvik {

class COrvikApp;

class CPortDlg : public QDialog {
    Q_OBJECT
public:
    CPortDlg(COrvikApp& app, QWidget* parent);

    // Button of port n (1 to 8), and the search check box.
    QAbstractButton* portButton(int n) const;
    QCheckBox* searchBox() const { return searchCheck; }

    void accept() override;

private:
    void onSearchClicked(bool checked);

    COrvikApp& app;
    QAbstractButton* buttons[8] = {};
    QCheckBox* searchCheck = nullptr;
};

} // namespace orvik
