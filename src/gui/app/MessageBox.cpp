#include "gui/app/MessageBox.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace orvik {

namespace {
MessageBoxHook& messageHook() {
    static MessageBoxHook hook;
    return hook;
}
FileDialogHook& fileHook() {
    static FileDialogHook hook;
    return hook;
}
} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    messageHook() = std::move(hook);
}
void SetFileDialogHook(FileDialogHook hook) {
    fileHook() = std::move(hook);
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, MsgButtons buttons,
                   MsgIcon icon) {
    return ShowMessageBox(owner, text, caption, buttons, icon, QString());
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, MsgButtons buttons,
                   MsgIcon icon, const QString& extraButton) {
    if (messageHook())
        return messageHook()(MessageRecord{text, caption, buttons, icon, extraButton});

    QMessageBox box(owner);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowTitle(caption);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgButtons::YesCancel:
        // Asked before something is overwritten: Enter does not say yes.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        break;
    }
    box.setEscapeButton(buttons == MsgButtons::Ok      ? QMessageBox::Ok
                        : buttons == MsgButtons::YesNo ? QMessageBox::No
                                                       : QMessageBox::Cancel);
    QPushButton* extra =
        extraButton.isEmpty() ? nullptr : box.addButton(extraButton, QMessageBox::ActionRole);
    const int answer = box.exec();
    if (extra != nullptr && box.clickedButton() == extra)
        return MsgExtra;
    switch (answer) {
    case QMessageBox::Ok:
        return MsgOk;
    case QMessageBox::Yes:
        return MsgYes;
    case QMessageBox::No:
        return MsgNo;
    default:
        return buttons == MsgButtons::Ok ? MsgOk : buttons == MsgButtons::YesNo ? MsgNo : MsgCancel;
    }
}

QString AskFileName(QWidget* owner, const FileDialogRequest& request) {
    QString name;
    if (fileHook()) {
        name = fileHook()(request);
    } else {
        QFileDialog dialog(owner);
        QCheckBox* optionBox = nullptr;
        if (request.option != nullptr && !request.optionText.isEmpty()) {
            // Qt's own dialog, which has a layout to put the check box into.
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            optionBox = new QCheckBox(request.optionText, &dialog);
            optionBox->setChecked(*request.option);
            if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
                grid->addWidget(optionBox, grid->rowCount(), 0, 1, grid->columnCount());
        }
        dialog.setNameFilters(request.filters);
        dialog.setDirectory(request.directory);
        if (request.mode == FileDialogMode::Save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDefaultSuffix(request.defaultSuffix);
            if (!request.suggestedName.isEmpty())
                dialog.selectFile(request.suggestedName);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        name = dialog.selectedFiles().constFirst();
        if (optionBox != nullptr)
            *request.option = optionBox->isChecked();
    }
    if (request.mode == FileDialogMode::Save && !name.isEmpty() &&
        QFileInfo(name).suffix().isEmpty() && !name.endsWith('.'))
        name += "." + request.defaultSuffix;
    return name;
}

} // namespace orvik
