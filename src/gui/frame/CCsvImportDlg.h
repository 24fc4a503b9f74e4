#pragma once
// The preview of a channel import: the per-row report and the channels that would change, with
// the renumber and replace-all choices applied at once. The document is not touched here; the
// caller applies the file with options() when the dialog is accepted.

#include "core/model/ChannelCsv.h"
#include "core/model/RadioDocument.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QPlainTextEdit;

namespace orvik {

class LangCatalog;

class CCsvImportDlg : public QDialog {
    Q_OBJECT
public:
    // The preview applies the file to a copy of `document`.
    CCsvImportDlg(LangCatalog& texts, const RadioDocument& document, std::string csvText,
                  QWidget* parent = nullptr);

    const CsvImportResult& result() const { return current; }
    // The choices the preview was made with.
    CsvImportOptions options() const;
    QCheckBox* renumberBox() const { return renumber; }
    QCheckBox* replaceAllBox() const { return replaceAll; }
    QString reportText() const;

private:
    void rerun();

    LangCatalog& texts;
    const RadioDocument& document;
    const RadioImage& image; // the document's image, before the import
    std::string csv;
    CsvImportResult current;
    QCheckBox* renumber = nullptr;
    QCheckBox* replaceAll = nullptr;
    QPlainTextEdit* report = nullptr;
};

} // namespace orvik
