#pragma once
// The one way every message box and file-name question of the program is shown. Texts are plain
// text, never rich text. Tests install hooks that answer and record instead of showing a dialog.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace orvik {

enum class MsgButtons { Ok, OkCancel, YesNoCancel, YesNo, YesCancel };
enum class MsgIcon { None, Stop, Exclamation, Question, Information };

// Answers, with the numbers of the classic message-box results.
enum MsgResult { MsgOk = 1, MsgCancel = 2, MsgYes = 6, MsgNo = 7, MsgExtra = 100 };

struct MessageRecord {
    QString text;
    QString caption;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    QString extraButton; // text of a further button (answer MsgExtra); empty: none
};

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, MsgButtons buttons,
                   MsgIcon icon);
// The same with one more button labelled `extraButton`, which answers MsgExtra.
int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, MsgButtons buttons,
                   MsgIcon icon, const QString& extraButton);

using MessageBoxHook = std::function<int(const MessageRecord&)>;
// Replaces the dialog (tests); an empty hook restores it.
void SetMessageBoxHook(MessageBoxHook hook);

enum class FileDialogMode { Open, Save };
struct FileDialogRequest {
    FileDialogMode mode = FileDialogMode::Open;
    QString directory;
    QString suggestedName;
    QStringList filters;
    QString defaultSuffix = QStringLiteral("735"); // appended to a name saved without one
    // An optional check box shown in the dialog: its text and the value it starts with and
    // leaves (a test hook answers it by writing *option).
    QString optionText;
    bool* option = nullptr;
};

// Asks for a file name; empty when cancelled. A name typed without an extension gets the
// request's default suffix appended when saving.
QString AskFileName(QWidget* owner, const FileDialogRequest& request);

using FileDialogHook = std::function<QString(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);

} // namespace orvik
