#include "gui/lang/CLanguageDlg.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangText.h"
#include "core/profile/AppPaths.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvik {

CLanguageDlg::CLanguageDlg(AppPaths& appPaths, LangCatalog& texts, QWidget* parent)
    : QDialog(parent), paths(appPaths), catalog(texts) {
    setWindowTitle("Language");
    auto* label = new QLabel("Language:", this);
    SetControlId(label, ids::IDC_LANGUAGE_LABEL);
    languageList = new QComboBox(this);
    SetControlId(languageList, ids::IDC_LANGUAGE_LIST);
    languageList->setMinimumWidth(220);
    label->setBuddy(languageList);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    SetControlId(ok, ids::IDOK);
    SetControlId(cancel, ids::IDCANCEL);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLanguageDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLanguageDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(languageList);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    ApplyDialogTexts(catalog, this, ids::IDD_LANGUAGE);

    // The list sorts its entries, like a sorted drop-down list.
    const auto entries = ListLanguageFiles(paths.LookupFolders());
    QStringList names;
    for (const auto& e : entries)
        names.append(QString::fromStdString(e.display));
    names.sort(Qt::CaseInsensitive);
    languageList->addItems(names);
    const int current = PreselectedLanguage(entries, paths.LanguageFilePath());
    if (current >= 0) {
        const QString shown = QString::fromStdString(entries[current].display);
        for (int i = 0; i < languageList->count(); ++i) {
            if (languageList->itemText(i).startsWith(shown, Qt::CaseInsensitive)) {
                languageList->setCurrentIndex(i);
                break;
            }
        }
    } else {
        languageList->setCurrentIndex(-1);
    }
    setFixedSize(sizeHint());
}

void CLanguageDlg::accept() {
    const QString selected =
        languageList->currentIndex() >= 0 ? languageList->currentText() : QString();
    const auto entries = ListLanguageFiles(paths.LookupFolders());
    const int match = selected.isEmpty() ? -1 : MatchLanguage(entries, selected.toStdString());
    if (match >= 0) {
        stored = ini::WriteString(paths.SettingsFilePath(), keys::SetupSection, keys::LanguageKey,
                                  entries[match].title);
        paths.SetLanguageFilePath(entries[match].path);
        catalog.setFiles(entries[match].path, catalog.fallbackFile());
    }
    QDialog::accept();
}

} // namespace orvik
