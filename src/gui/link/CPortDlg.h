#pragma once
// The Communication Port dialog (130): COM1 to COM8, each disabled when it cannot be opened and
// shown with its device path (greyed, with the reason in the tool tip, when it cannot be
// opened), and the search flag. Below them, the USB serial devices that none of COM1 to COM8
// leads to, with "Use as COMn", which binds the chosen one in [ports]. OK stores a changed port
// in setting.ini and shows it in the status bar.

#include <QDialog>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace orvik {

class COrvikApp;

class CPortDlg : public QDialog {
    Q_OBJECT
public:
    CPortDlg(COrvikApp& app, QWidget* parent);

    // Button of port n (1 to 8), and the search check box.
    QAbstractButton* portButton(int n) const;
    QCheckBox* searchBox() const { return searchCheck; }
    // The device path beside port n's button.
    QLabel* portLabel(int n) const;
    // The devices not reached through COM1 to COM8 (item data: the path to bind), the port
    // number to bind one to (item data 1 to 8) and the button that binds it.
    QListWidget* deviceList() const { return devices; }
    QComboBox* useAsPort() const { return useAsNumber; }
    QPushButton* useAsButton() const { return useAs; }

    void accept() override;

private:
    void onSearchClicked(bool checked);
    // Tries to open port n and shows the result on its button and label; true when it opened.
    bool probe(int n);
    void fillDeviceList();
    void onUseAs();

    COrvikApp& app;
    QAbstractButton* buttons[8] = {};
    QLabel* labels[8] = {};
    QLabel* devicesTitle = nullptr;
    QListWidget* devices = nullptr;
    QComboBox* useAsNumber = nullptr;
    QPushButton* useAs = nullptr;
    QCheckBox* searchCheck = nullptr;
};

} // namespace orvik
