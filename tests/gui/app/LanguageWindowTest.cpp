// The window in every shipped language: menus whose entries each have their own accelerator,
// Qt's own dialogs and buttons in the chosen language, the save question and the file filter
// from the language file, and the mirrored window of a right-to-left language.

#include "AppFixture.h"

#include "core/lang/LangText.h"
#include "gui/frame/CMainFrame.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/views/COrvikView.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>

#include <map>
#include <memory>

namespace orvik::test {
namespace {

QString Shipped(const std::string& title) {
    return QStringLiteral(ORVIK_SHIPPED_DATA_DIR "/") + QString::fromStdString(title) + ".lang";
}

// The letter Alt chooses an entry by: the one after the first single "&", upper-cased; none
// when the text has no such "&".
QChar Accelerator(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] != '&')
            return text[i + 1].toUpper();
        ++i;
    }
    return {};
}

// Fails for every two entries of `entries` (texts) that share an accelerator.
void ExpectOwnAccelerators(const QStringList& entries, const std::string& where) {
    std::map<QChar, QString> taken;
    for (const QString& text : entries) {
        const QChar key = Accelerator(text);
        if (key.isNull())
            continue;
        const auto [it, fresh] = taken.emplace(key, text);
        EXPECT_TRUE(fresh) << where << ": \"" << text.toStdString() << "\" and \""
                           << it->second.toStdString() << "\" share Alt+"
                           << QString(key).toStdString();
    }
}

// A menu's entries (separators and hidden entries aside), and each of its submenus the same way.
void ExpectOwnAccelerators(const QMenu* menu, const std::string& where) {
    QStringList entries;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        entries.append(a->text());
        if (a->menu() != nullptr)
            ExpectOwnAccelerators(a->menu(), where + " > " + a->text().toStdString());
    }
    ExpectOwnAccelerators(entries, where);
}

using LanguageWindowTest = AppFixture;

TEST_F(LanguageWindowTest, EachMenuGivesEveryAcceleratorToOneEntryInEveryLanguage) {
    ASSERT_TRUE(start());
    CMainFrame* window = frame();
    const auto shipped = ListLanguageFiles(ORVIK_SHIPPED_DATA_DIR);
    ASSERT_GE(shipped.size(), 8u);
    for (const auto& entry : shipped) {
        SCOPED_TRACE(entry.title);
        app->SetLanguageFile(entry.path);
        app->RefreshLanguage();
        QStringList titles;
        for (const QAction* top : window->menuBar()->actions()) {
            titles.append(top->text());
            ExpectOwnAccelerators(top->menu(), top->text().toStdString());
        }
        ExpectOwnAccelerators(titles, "menu bar");
        QStringList tableMenu;
        for (int id : CMainFrame::TableMenuCommands())
            if (id != 0)
                tableMenu.append(window->action(id)->text());
        ExpectOwnAccelerators(tableMenu, "channel table menu");
        // "Undo <step>" keeps the letter of "Undo".
        for (const auto& [step, plain] : {std::pair{"IDS_UNDO_STEP", "Menu_Edit_Undo"},
                                          std::pair{"IDS_REDO_STEP", "Menu_Edit_Redo"}})
            EXPECT_EQ(Accelerator(app->LangText(step)), Accelerator(app->LangText(plain))) << step;
    }
}

// A text without its accelerator mark and shortcut: "&Undo\tCtrl+Z" is "Undo".
QString Plain(QString text) {
    return text.section('\t', 0, 0).remove('&');
}

// With ORVIK_SCREENSHOT_DIR set, `w` shown and saved there as <name>.png.
void SaveShot(QWidget* w, const QString& name) {
    const QString shots = qEnvironmentVariable("ORVIK_SCREENSHOT_DIR");
    if (shots.isEmpty())
        return;
    w->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->grab().save(shots + "/" + name + ".png"));
}

// File dialogs, message-box buttons and the menu of a text field follow the chosen language, and
// return to English with it.
TEST_F(LanguageWindowTest, QtsOwnTextsFollowTheLanguage) {
    ASSERT_TRUE(start());
    auto check = [](const char* language, const char* cancel, const char* yes, const char* undo,
                    const char* lookIn) {
        SCOPED_TRACE(language);
        QMessageBox box;
        box.setText(QString::fromUtf8(language));
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        // Japanese adds the accelerator in brackets: "はい(&Y)".
        EXPECT_TRUE(Plain(box.button(QMessageBox::Cancel)->text()).startsWith(cancel));
        EXPECT_TRUE(Plain(box.button(QMessageBox::Yes)->text()).startsWith(yes));
        QLineEdit field;
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        EXPECT_TRUE(Plain(menu->actions().value(0)->text()).startsWith(undo));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), lookIn);
        SaveShot(&box, QStringLiteral("qt-message-box-") + language);
        SaveShot(&dialog, QStringLiteral("qt-file-dialog-") + language);
    };
    app->SetLanguageFile(Shipped("german").toStdString());
    check("german", "Abbrechen", "Ja", "Rückgängig", "Suchen in:");
    app->SetLanguageFile(Shipped("japanese").toStdString());
    check("japanese", "キャンセル", "はい", "元に戻す", "アドレス:");
    app->SetLanguageFile(Shipped("english").toStdString());
    check("english", "Cancel", "Yes", "Undo", "Look in:");
}

// The name goes where the text's "%s" stands; a language file of one's own without "%s" gets the
// name and "?" after its text, as before. The data-file filter is the language's and always ends
// with the pattern the dialog filters by.
TEST_F(LanguageWindowTest, SaveQuestionAndFileFilterComeFromTheLanguageFile) {
    ASSERT_TRUE(start());
    app->SetLanguageFile(Shipped("japanese").toStdString());
    EXPECT_EQ(app->SaveQuestion("a.735"), "データが変更されています。a.735 に変更を保存しますか？");
    app->SetLanguageFile(Shipped("german").toStdString());
    EXPECT_EQ(app->FileFilter(), "Funkgeräte-Programmdateien (*.735)");

    QByteArray own = readFile(filePath("english.lang"));
    own.replace("to %s?", "to");
    own.replace("Radio Program Data Files (*.735)", "Radio data");
    writeFile(filePath("own.lang"), own);
    app->SetLanguageFile(filePath("own.lang").toStdString());
    EXPECT_EQ(app->SaveQuestion("a.735"),
              "The data have been changed. Do you want to save the changes to a.735?");
    EXPECT_EQ(app->FileFilter(), "Radio data (*.735)");
    frame()->OnFileOpen();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].filters.value(0), "Radio data (*.735)");
}

// A right-to-left language mirrors the window: the menu bar, the settings panel (each label on
// its list's right), and the channel table with the CH column on the right; clicks and arrow
// keys find the cells where they are drawn. English turns it back.
TEST_F(LanguageWindowTest, RightToLeftLanguageMirrorsTheWindow) {
    QByteArray hebrew = readFile(filePath("english.lang"));
    // A few texts in Hebrew: a label aligns by its text's own direction.
    hebrew.replace("disp=English", "disp=עברית");
    hebrew.replace("1031=Squelch Level", "1031=רמת השתקה");
    hebrew.replace("Menu_File=&File", "Menu_File=&קובץ");
    writeFile(filePath("hebrew.lang"), hebrew);
    ASSERT_TRUE(start());
    CMainFrame* window = frame();
    window->resize(1000, 700);
    window->show();
    app->SetLanguageFile(filePath("hebrew.lang").toStdString());
    app->RefreshLanguage();
    QCoreApplication::processEvents();

    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::RightToLeft);
    EXPECT_TRUE(window->menuBar()->isRightToLeft());
    COrvikView* view = window->view();
    auto control = [&](int id) {
        for (QWidget* w : view->form()->findChildren<QWidget*>())
            if (ControlId(w) == id)
                return w;
        return static_cast<QWidget*>(nullptr);
    };
    QWidget* label = control(ids::IDC_SQUELCH_LABEL);
    QWidget* list = control(ids::IDC_SQUELCH_LIST);
    QWidget* group = control(ids::IDC_MODEL_GROUP);
    ASSERT_TRUE(label && list && group);
    EXPECT_GT(label->geometry().left(), list->geometry().right());
    EXPECT_GT(group->geometry().left(), view->form()->width() / 2);

    CGridCtrl* grid = view->grid();
    const QRect ch = grid->cellRect(1, 0);
    const QRect rx = grid->cellRect(1, 1);
    EXPECT_GT(ch.left(), rx.right());
    EXPECT_GE(ch.right(), grid->viewport()->width() - 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(3, 2).center());
    EXPECT_EQ(grid->GetFocusCell(), (CellId{3, 2}));
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(grid->GetFocusCell(), (CellId{3, 3}));
    SaveShot(window, QStringLiteral("orvik-window-right-to-left"));

    app->SetLanguageFile(filePath("english.lang").toStdString());
    app->RefreshLanguage();
    QCoreApplication::processEvents();
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    EXPECT_LT(grid->cellRect(1, 0).right(), grid->cellRect(1, 1).left());
    EXPECT_LT(control(ids::IDC_SQUELCH_LABEL)->geometry().right(),
              control(ids::IDC_SQUELCH_LIST)->geometry().left());
}

} // namespace
} // namespace orvik::test
