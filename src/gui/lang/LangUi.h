#pragma once
// Language texts at the window edge: lookups in a language catalog as QString, and the filling
// of dialog texts by resource id.

#include <QString>
#include <QStringList>

#include <string_view>

class QDialog;
class QDialogButtonBox;
class QObject;
class QWidget;

namespace orvik {

class LangCatalog;

// String/key of the catalog ("Not Found" when missing), as the window shows it.
QString LangText(LangCatalog& catalog, std::string_view key);
// OK and Cancel buttons named by Resource/1 and /2 (Qt's names when missing), wired to accept
// and reject `dialog`.
QDialogButtonBox* OkCancelButtons(LangCatalog& catalog, QDialog* dialog);
// FillText (core/lang/FillText.h) on window texts.
QString FillText(const QString& pattern, const QStringList& values);

// Tags a control with its resource id (the key of its text in section Resource).
void SetControlId(QWidget* control, int id);
int ControlId(const QObject* control); // 0 when untagged

// Resource/<dialogId> becomes the window caption when non-empty; then every tagged control of
// the window, in creation order, gets Resource/<its id> as its text when non-empty. Controls
// without a key keep their text; controls sharing an id get the same text. Nested dialogs of
// their own (windows) are not visited.
void ApplyDialogTexts(LangCatalog& catalog, QWidget* window, int dialogId);

} // namespace orvik
