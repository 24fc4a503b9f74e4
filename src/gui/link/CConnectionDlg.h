#pragma once
// Help > Check the Connection: the connection check's device table and findings, each with its
// fix, and a Copy button that puts the report on the clipboard (to paste into a terminal or a
// support request). The application's port is closed first, so the check sees the cable free.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace orvik {

class COrvikApp;

class CConnectionDlg : public QDialog {
    Q_OBJECT
public:
    CConnectionDlg(COrvikApp& app, QWidget* parent);

    QString reportText() const;
    QPushButton* copyButton() const { return copy; }
    // Runs the check again and shows its report.
    void refresh();

private:
    COrvikApp& app;
    QPlainTextEdit* report = nullptr;
    QPushButton* copy = nullptr;
};

} // namespace orvik
