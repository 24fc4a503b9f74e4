#pragma once
// The Language dialog (131): lists the *.lang files of the program directory by display name;
// OK rewrites setup/language of setting.ini and points the catalog at the chosen file; the caller
// then refreshes the program (also when nothing matched).

#include <QDialog>

class QComboBox;

namespace orvik {

class AppPaths;
class LangCatalog;

class CLanguageDlg : public QDialog {
    Q_OBJECT
public:
    CLanguageDlg(AppPaths& paths, LangCatalog& catalog, QWidget* parent);

    QComboBox* list() const { return languageList; }

    void accept() override;
    // False when OK chose a language that setting.ini could not store (it applies anyway).
    bool settingStored() const { return stored; }

private:
    AppPaths& paths;
    LangCatalog& catalog;
    QComboBox* languageList = nullptr;
    bool stored = true;
};

} // namespace orvik
