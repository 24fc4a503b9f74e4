// The Language dialog, the Communication Port dialog, the accelerators and the tool tips.

#include "AppFixture.h"

#include "core/lang/LangText.h"
#include "core/profile/AppPaths.h"
#include "core/profile/IniFile.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CAboutDlg.h"
#include "gui/frame/CHelpWindow.h"
#include "gui/frame/CMainFrame.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/CLanguageDlg.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/link/CConnectionDlg.h"
#include "gui/link/CPortDlg.h"
#include "gui/views/COrvikView.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace orvik::test {
namespace {

class DialogsTest : public AppFixture {
protected:
    QString text(const char* langFile, const char* key) const {
        return QString::fromStdString(LoadLangString(filePath(langFile).toStdString(), key));
    }
};

// A pseudo-terminal whose slave path stands in for a serial device.
struct Pty {
    int master = -1;
    int slave = -1;
    QString path;
    Pty() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0)
            path = QString::fromLocal8Bit(name);
        if (slave >= 0)
            ::close(slave); // the port opens it itself
    }
    ~Pty() {
        if (master >= 0)
            ::close(master);
    }
};

QByteArray portsSection(const QMap<int, QString>& devices) {
    QByteArray s = "\n[ports]\n";
    for (int n = 1; n <= 8; ++n)
        s += "COM" + QByteArray::number(n) + "=" +
             devices.value(n, "/nonexistent/tty" + QString::number(n)).toUtf8() + "\n";
    return s;
}

QByteArray settings(const QByteArray& com, const QByteArray& ports) {
    return "[setup]\nlanguage=english\ncom=" + com +
           "\nsearchcom=1\n\n[ModelInfo]\nFreq0=470-490MHz\nFreq1=490-512MHz\n"
           "Freq2=400-470MHz\n" +
           ports;
}

TEST_F(DialogsTest, LanguageSwitchRelabelsMenusTitleAndToolTips) {
    ASSERT_TRUE(start());
    CMainFrame* window = frame();
    EXPECT_EQ(window->topMenu(0)->title(), text("english.lang", "Menu_File"));
    EXPECT_EQ(window->action(ids::ID_PROGRAM_READ)->text(),
              text("english.lang", "Menu_Program_ReadData"));

    CLanguageDlg dialog(app->paths(), app->catalog(), window);
    QComboBox* list = dialog.list();
    EXPECT_EQ(list->currentText(), "English"); // the current language preselected
    // chinese.lang comes before english.lang in file-name order.
    const QString chineseName =
        QString::fromStdString(ListLanguageFiles(dirPath().toStdString()).at(0).display);
    ASSERT_NE(chineseName, "English");
    const int chinese = list->findText(chineseName);
    ASSERT_GE(chinese, 0);
    list->setCurrentIndex(chinese);
    dialog.accept();
    app->RefreshLanguage(); // as the window does after the dialog

    EXPECT_TRUE(readFile(filePath("setting.ini")).contains("language=chinese"));
    EXPECT_EQ(app->paths().LanguageFilePath(), filePath("chinese.lang").toStdString());
    EXPECT_EQ(window->topMenu(0)->title(), text("chinese.lang", "Menu_File"));
    EXPECT_EQ(window->topMenu(3)->title(), text("chinese.lang", "Menu_Help"));
    EXPECT_EQ(window->action(ids::ID_PROGRAM_READ)->text(),
              text("chinese.lang", "Menu_Program_ReadData"));
    EXPECT_EQ(window->windowTitle(), text("chinese.lang", "IDS_UNTITLED") + "[*] - " +
                                         text("chinese.lang", "IDS_WINDOWNAME"));
    EXPECT_EQ(window->ToolTipText(ids::ID_PROGRAM_READ),
              text("chinese.lang", "IDS_TIP_32771").left(19));
}

// Every shown label and check box of the form shows its whole text (or, when no place on the
// form can hold it, names it in its tool tip), and no two shown controls (a group box and what
// it holds aside) overlap.
void ExpectFormTextsFit(QWidget* form) {
    QList<QWidget*> shown;
    for (QWidget* w : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->isHidden())
            shown.append(w);
    for (QWidget* w : shown) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const bool fits =
                label->wordWrap()
                    ? label->heightForWidth(label->width()) <= label->height()
                    : label->fontMetrics().horizontalAdvance(label->text()) <= label->width();
            EXPECT_TRUE(fits || label->toolTip() == label->text()) << label->text().toStdString();
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            EXPECT_TRUE(box->sizeHint().width() <= box->width() || box->toolTip() == box->text())
                << box->text().toStdString();
        }
        for (QWidget* other : shown) {
            if (other == w || qobject_cast<QGroupBox*>(w) || qobject_cast<QGroupBox*>(other))
                continue;
            EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                << ControlId(w) << " overlaps " << ControlId(other);
        }
    }
}

// Every shipped language is offered by its own name, and choosing it relabels the menus, the
// form, the table headings and the dialogs opened afterwards.
TEST_F(DialogsTest, EveryShippedLanguageRelabelsMenusFormTableAndDialogs) {
    const auto shipped = ListLanguageFiles(ORVIK_SHIPPED_DATA_DIR);
    ASSERT_GE(shipped.size(), 8u); // the list itself is the shipped-data test's
    for (const auto& entry : shipped) {
        const QString name = QString::fromStdString(entry.title) + ".lang";
        if (!QFileInfo::exists(filePath(name))) {
            ASSERT_TRUE(QFile::copy(QString::fromStdString(entry.path), filePath(name)));
        }
    }
    ASSERT_TRUE(start());
    CMainFrame* window = frame();
    QStringList offered;
    {
        CLanguageDlg dialog(app->paths(), app->catalog(), window);
        for (int i = 0; i < dialog.list()->count(); ++i)
            offered.append(dialog.list()->itemText(i));
    }
    QStringList names;
    for (const auto& entry : shipped)
        names.append(QString::fromStdString(entry.display));
    offered.sort();
    names.sort();
    EXPECT_EQ(offered, names);

    auto control = [](QWidget* parent, int id) {
        for (QWidget* w : parent->findChildren<QWidget*>())
            if (ControlId(w) == id)
                return w;
        return static_cast<QWidget*>(nullptr);
    };
    for (const auto& entry : shipped) {
        SCOPED_TRACE(entry.title);
        const std::string file = entry.title + ".lang";
        const char* lang = file.c_str();
        {
            CLanguageDlg dialog(app->paths(), app->catalog(), window);
            dialog.list()->setCurrentIndex(
                dialog.list()->findText(QString::fromStdString(entry.display)));
            dialog.accept();
        }
        app->RefreshLanguage();
        EXPECT_EQ(app->paths().LanguageFilePath(), filePath(lang).toStdString());
        EXPECT_EQ(window->topMenu(2)->title(), text(lang, "Menu_Setting"));
        EXPECT_EQ(window->action(ids::ID_PROGRAM_WRITE)->text(),
                  text(lang, "Menu_Program_WriteData"));
        const std::string langPath = filePath(lang).toStdString();
        auto* squelch =
            qobject_cast<QLabel*>(control(window->view()->form(), ids::IDC_SQUELCH_LABEL));
        ASSERT_NE(squelch, nullptr);
        EXPECT_EQ(squelch->text(),
                  QString::fromStdString(ResourceText(langPath, ids::IDC_SQUELCH_LABEL)));
        std::string heading;
        ASSERT_TRUE(ReadColumnHeader(langPath, 1, heading));
        EXPECT_EQ(window->view()->grid()->GetItemText(0, 1), QString::fromStdString(heading));
        ExpectFormTextsFit(window->view()->form());

        CPortDlg port(*app, window);
        EXPECT_EQ(port.windowTitle(),
                  QString::fromStdString(ResourceText(langPath, ids::IDD_PORT)));
        EXPECT_EQ(port.searchBox()->text(),
                  QString::fromStdString(ResourceText(langPath, ids::IDC_SEARCH_COM)));
        CLanguageDlg language(app->paths(), app->catalog(), window);
        EXPECT_EQ(language.list()->currentText(), QString::fromStdString(entry.display));
        auto* prompt = qobject_cast<QLabel*>(control(&language, ids::IDC_LANGUAGE_LABEL));
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->text(),
                  QString::fromStdString(ResourceText(langPath, ids::IDC_LANGUAGE_LABEL)));
    }

    // A language of one's own with labels longer than any place on the form: they wrap, or are
    // cut and name their whole text in a tool tip, and still overlap nothing.
    QByteArray english = readFile(filePath("english.lang"));
    english.replace("1031=Squelch Level",
                    "1031=Squelch level of the receiver, which mutes the loudspeaker");
    english.replace("1021=Band", "1021=Frequencybandofthisradiowhichcannotbreak");
    english.replace("1024=Battery Save", "1024=Battery save, which powers the receiver down");
    writeFile(filePath("english.lang"), english);
    CLanguageDlg dialog(app->paths(), app->catalog(), window);
    dialog.list()->setCurrentIndex(dialog.list()->findText("English"));
    dialog.accept();
    app->RefreshLanguage();
    ExpectFormTextsFit(window->view()->form());
    for (int id : {ids::IDC_SQUELCH_LABEL, ids::IDC_BAND_LABEL}) {
        QWidget* label = control(window->view()->form(), id);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->toolTip(),
                  QString::fromStdString(ResourceText(filePath("english.lang").toStdString(), id)));
    }
}

TEST_F(DialogsTest, LanguageDialogListsUserAndSharedFilesEachNameOnce) {
    ASSERT_TRUE(start());
    // An installed layout: the fixture's folder as the shared data, a user folder beside it.
    QTemporaryDir user;
    const QByteArray english = readFile(filePath("english.lang"));
    writeFile(user.filePath("english.lang"),
              QByteArray(english).replace("disp=English", "disp=My English"));
    writeFile(user.filePath("zulu.lang"), QByteArray(english).replace("disp=English", "disp=Zulu"));
    writeFile(user.filePath("setting.ini"), readFile(filePath("setting.ini")));
    const QByteArray sharedSettings = readFile(filePath("setting.ini"));
    AppPaths paths(QFile::encodeName(user.path()).toStdString(),
                   QFile::encodeName(dirPath()).toStdString());

    CLanguageDlg dialog(paths, app->catalog(), frame());
    QComboBox* list = dialog.list();
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown.append(list->itemText(i));
    EXPECT_EQ(shown.size(), 3) << shown.join('|').toStdString();
    EXPECT_TRUE(shown.contains("My English"));
    EXPECT_TRUE(shown.contains("Zulu"));
    EXPECT_FALSE(shown.contains("English"));

    list->setCurrentIndex(list->findText("Zulu"));
    dialog.accept();
    EXPECT_EQ(paths.LanguageFilePath(),
              QFile::encodeName(user.filePath("zulu.lang")).toStdString());
    EXPECT_TRUE(readFile(user.filePath("setting.ini")).contains("language=zulu"));
    EXPECT_EQ(readFile(filePath("setting.ini")), sharedSettings);
}

TEST_F(DialogsTest, ToolTipsAreCutTo19CharactersAndMissingKeysReadNotFound) {
    QByteArray lang = readFile(filePath("english.lang"));
    lang.replace("IDS_TIP_32771=", "IDS_TIP_32771=Read all channels from the radio now ");
    lang.replace("Menu_Help=", "Menu_Help_Removed=");
    writeFile(filePath("english.lang"), lang);
    ASSERT_TRUE(start());
    EXPECT_EQ(frame()->ToolTipText(ids::ID_PROGRAM_READ), "Read all channels f");
    EXPECT_EQ(frame()->ToolTipText(0), "");
    EXPECT_EQ(frame()->topMenu(3)->title(), "Not Found");
}

// The name of the modal dialog that a key opens (closed again at once); empty when none opens.
QString modalOpenedBy(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QString opened;
    QTimer::singleShot(50, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->metaObject()->className();
            modal->close();
        }
    });
    QTest::keyClick(target, key, modifiers);
    QTest::qWait(80);
    // The window is active again before the next key, so its shortcuts can reach it.
    target->window()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(target->window()));
    return opened;
}

TEST_F(DialogsTest, EditingKeysActOnAFocusedFieldListOrTableAndRunCommandsElsewhere) {
    ASSERT_TRUE(start());
    CMainFrame* window = frame();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QClipboard* clipboard = QGuiApplication::clipboard();

    // A text field copies and cuts; Ctrl+C does not open the port dialog over it.
    auto* edit = new QLineEdit(window->view()->form());
    edit->setText("435.12500");
    edit->show();
    edit->setFocus();
    edit->selectAll();
    EXPECT_EQ(modalOpenedBy(edit, Qt::Key_C, Qt::ControlModifier), "");
    EXPECT_EQ(clipboard->text(), "435.12500");
    EXPECT_EQ(modalOpenedBy(edit, Qt::Key_X, Qt::ControlModifier), "");
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(modalOpenedBy(edit, Qt::Key_Insert, Qt::ShiftModifier), "");
    EXPECT_EQ(edit->text(), "435.12500");
    delete edit;

    // A list of the settings panel keeps the keys too; copy takes its selected entry.
    auto* list = qobject_cast<QComboBox*>(window->view()->control(ids::IDC_SQUELCH_LIST));
    ASSERT_NE(list, nullptr);
    list->setFocus();
    EXPECT_EQ(modalOpenedBy(list, Qt::Key_C, Qt::ControlModifier), "");
    EXPECT_EQ(clipboard->text(), list->currentText());
    EXPECT_EQ(modalOpenedBy(list, Qt::Key_Z, Qt::ControlModifier), "");

    // The channel table: copy takes the focus cell's text.
    CGridCtrl* grid = window->view()->grid();
    grid->setFocus();
    grid->SetFocusCell(1, 0);
    EXPECT_EQ(modalOpenedBy(grid, Qt::Key_C, Qt::ControlModifier), "");
    EXPECT_EQ(clipboard->text(), grid->GetItemText(1, 0));
    EXPECT_EQ(modalOpenedBy(grid, Qt::Key_Delete, Qt::NoModifier), "");

    // Elsewhere (a check box has the focus) Ctrl+C is the port dialog, and the other window
    // commands run over the text field, the list and the table alike.
    QWidget* check = window->view()->control(ids::IDC_BEEP);
    ASSERT_NE(check, nullptr);
    check->setFocus();
    EXPECT_EQ(modalOpenedBy(check, Qt::Key_C, Qt::ControlModifier), "orvik::CPortDlg");
    list->setFocus();
    EXPECT_EQ(modalOpenedBy(list, Qt::Key_L, Qt::ControlModifier), "orvik::CLanguageDlg");
    grid->setFocus();
    EXPECT_EQ(modalOpenedBy(grid, Qt::Key_L, Qt::ControlModifier), "orvik::CLanguageDlg");
}

TEST_F(DialogsTest, PortDialogChecksTheConfiguredPortAndDisablesThoseThatDoNotOpen) {
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    writeSettings(settings("3", portsSection({{3, pty.path}})));
    ASSERT_TRUE(start());
    CPortDlg dialog(*app, frame());
    EXPECT_TRUE(dialog.portButton(3)->isChecked());
    EXPECT_TRUE(dialog.portButton(3)->isEnabled());
    for (int n : {1, 2, 4, 5, 6, 7, 8}) {
        EXPECT_FALSE(dialog.portButton(n)->isEnabled()) << n;
        EXPECT_FALSE(dialog.portButton(n)->isChecked()) << n;
    }
    EXPECT_TRUE(dialog.searchBox()->isVisible() || !dialog.searchBox()->isHidden());
    EXPECT_TRUE(dialog.searchBox()->isChecked());
    EXPECT_FALSE(app->port().IsOpen());
    // Each port shows its device; one that does not open is greyed with the reason.
    EXPECT_EQ(dialog.portLabel(3)->text(), pty.path);
    EXPECT_TRUE(dialog.portLabel(3)->isEnabled());
    EXPECT_EQ(dialog.portLabel(1)->text(), "/nonexistent/tty1");
    EXPECT_FALSE(dialog.portLabel(1)->isEnabled());
    EXPECT_TRUE(dialog.portLabel(1)->toolTip().startsWith("/nonexistent/tty1\n"))
        << dialog.portLabel(1)->toolTip().toStdString();
}

// A fake system tree (ORVIK_SYSROOT) with a ttyACM cable that COM1 to COM8 do not reach.
TEST_F(DialogsTest, PortDialogListsOtherDevicesAndBindsOneToTheChosenPort) {
    QTemporaryDir sysroot;
    ASSERT_TRUE(sysroot.isValid());
    const QString root = sysroot.path();
    const QString iface = root + "/sys/devices/pci0000:00/usb1/1-3/1-3:1.0";
    ASSERT_TRUE(QDir().mkpath(iface));
    ASSERT_TRUE(QDir().mkpath(root + "/sys/class/tty/ttyACM0"));
    ASSERT_TRUE(QDir().mkpath(root + "/dev/serial/by-id"));
    writeFile(iface + "/../idVendor", "2e8a\n");
    writeFile(iface + "/../idProduct", "000a\n");
    writeFile(iface + "/../product", "Cable\n");
    writeFile(root + "/dev/ttyACM0", "");
    ASSERT_TRUE(QFile::link("../../../../sys/devices/pci0000:00/usb1/1-3/1-3:1.0",
                            root + "/sys/class/tty/ttyACM0/device"));
    ASSERT_TRUE(QFile::link("../../ttyACM0", root + "/dev/serial/by-id/usb-Cable-if00"));
    qputenv("ORVIK_SYSROOT", root.toUtf8());
    writeSettings(settings("1", portsSection({})));
    ASSERT_TRUE(start());
    CPortDlg dialog(*app, frame());
    qunsetenv("ORVIK_SYSROOT");

    QListWidget* list = dialog.deviceList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "/dev/ttyACM0  (2e8a:000a Cable)");
    EXPECT_EQ(list->item(1)->text(), "/dev/serial/by-id/usb-Cable-if00");
    EXPECT_FALSE(dialog.useAsButton()->isEnabled());
    list->setCurrentRow(1);
    ASSERT_TRUE(dialog.useAsButton()->isEnabled());
    dialog.useAsPort()->setCurrentIndex(dialog.useAsPort()->findData(3));
    qputenv("ORVIK_SYSROOT", root.toUtf8());
    QTest::mouseClick(dialog.useAsButton(), Qt::LeftButton);
    qunsetenv("ORVIK_SYSROOT");

    const std::string ini = filePath("setting.ini").toStdString();
    EXPECT_EQ(ini::GetString(ini, "ports", "COM3", "", 256), "/dev/serial/by-id/usb-Cable-if00");
    EXPECT_EQ(ini::GetString(ini, "ports", "COM1", "", 256), "/nonexistent/tty1");
    EXPECT_EQ(dialog.portLabel(3)->text(), "/dev/serial/by-id/usb-Cable-if00");
    EXPECT_EQ(list->count(), 0); // COM3 reaches the cable now
}

TEST_F(DialogsTest, HelpChecksTheConnectionAndCopiesTheReport) {
    ASSERT_TRUE(start());
    QAction* check = nullptr;
    for (QAction* a : frame()->topMenu(3)->actions())
        if (a->data().toInt() == ids::ID_HELP_CHECK)
            check = a;
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), text("english.lang", "Menu_Help_Check"));

    CConnectionDlg dialog(*app, frame());
    EXPECT_EQ(dialog.windowTitle(), text("english.lang", "IDS_CHECK_TITLE"));
    // This machine has no USB serial cable.
    EXPECT_TRUE(dialog.reportText().contains(text("english.lang", "IDS_CHECK_NO_CABLE")))
        << dialog.reportText().toStdString();
    QTest::mouseClick(dialog.copyButton(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), dialog.reportText());
}

TEST_F(DialogsTest, AnAbsentConfiguredPortStaysCheckedButDisabled) {
    writeSettings(settings("3", portsSection({})));
    ASSERT_TRUE(start());
    CPortDlg dialog(*app, frame());
    EXPECT_TRUE(dialog.portButton(3)->isChecked());
    EXPECT_FALSE(dialog.portButton(3)->isEnabled());
}

TEST_F(DialogsTest, PortTwelveChecksNothingAndOkWritesNothing) {
    const QByteArray content = settings("12", portsSection({}));
    writeSettings(content);
    ASSERT_TRUE(start());
    CPortDlg dialog(*app, frame());
    for (int n = 1; n <= 8; ++n)
        EXPECT_FALSE(dialog.portButton(n)->isChecked()) << n;
    dialog.accept();
    EXPECT_EQ(readFile(filePath("setting.ini")), content);
    EXPECT_EQ(frame()->portPaneText(), "COM12");
}

TEST_F(DialogsTest, OkWritesOnlyAChangedPortAndTheSearchBoxWritesAtOnce) {
    Pty five, six;
    const QByteArray content = settings("5", portsSection({{5, five.path}, {6, six.path}}));
    writeSettings(content);
    ASSERT_TRUE(start());
    {
        CPortDlg dialog(*app, frame());
        ASSERT_TRUE(dialog.portButton(5)->isChecked());
        dialog.accept();
        EXPECT_EQ(readFile(filePath("setting.ini")), content);
    }
    {
        CPortDlg dialog(*app, frame());
        QTest::mouseClick(dialog.searchBox(), Qt::LeftButton);
        EXPECT_TRUE(readFile(filePath("setting.ini")).contains("searchcom=0"));
        dialog.portButton(6)->setChecked(true);
        dialog.accept();
        EXPECT_TRUE(readFile(filePath("setting.ini")).contains("com=6\n"));
        EXPECT_EQ(frame()->portPaneText(), "COM6");
    }
}

TEST_F(DialogsTest, AboutBoxTakesItsTextsFromTheLanguageFile) {
    QByteArray lang = readFile(filePath("english.lang"));
    lang.replace("[Resource]", "[Resource]\n1015=RQ-550 test line");
    writeFile(filePath("english.lang"), lang);
    ASSERT_TRUE(start());
    CAboutDlg about(app->catalog(), frame());
    QStringList texts;
    for (QLabel* l : about.findChildren<QLabel*>())
        texts << l->text();
    EXPECT_TRUE(texts.contains("RQ-550 test line"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Orvik " ORVIK_VERSION)));
    EXPECT_EQ(about.windowTitle(),
              QString::fromStdString(ResourceText(filePath("english.lang").toStdString(), 100)));
}

TEST_F(DialogsTest, AFileDroppedOnTheWindowIsOpenedWithoutTheClearQuestion) {
    ASSERT_TRUE(start());
    const QString file = filePath("dropped.735");
    QByteArray image(4096, char(0xFF));
    image[0x3C1] = 5;
    writeFile(file, dataFileBytes(image));
    frame()->show();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    // The drop is opened from the event loop, after the drop itself has finished.
    for (int i = 0; i < 200 && app->document()->PathName().isEmpty(); ++i)
        QTest::qWait(10);
    EXPECT_EQ(app->document()->PathName(), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(app->document()->image().squelchLevel(), 5);
    EXPECT_TRUE(messages.empty());
}

TEST_F(DialogsTest, HelpWithoutItsFileSaysWhichFileIsMissing) {
    ASSERT_TRUE(start()); // the scratch directory holds no help pages
    frame()->action(ids::ID_HELP_HELP)->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(text("english.lang", "IDS_ERROR_HELP_OPEN")));
    EXPECT_TRUE(messages[0].text.contains(filePath("english.html")));
}

// Without a launcher that opens the page (no xdg-open), the help shows in a window of the
// program's own; with one, the launcher shows it and no window opens.
TEST_F(DialogsTest, HelpWithoutALauncherShowsThePageInAHelpWindow) {
    ASSERT_TRUE(start());
    writeFile(filePath("english.html"),
              "<html><body><h1>Orvik help</h1><p>Reading the radio</p></body></html>");
    static int launched = 0;
    static bool launcherWorks = false;
    SetUrlLauncher([](const QUrl&) {
        ++launched;
        return launcherWorks;
    });
    auto helpWindows = [] {
        QList<CHelpWindow*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* help = qobject_cast<CHelpWindow*>(w); help != nullptr && help->isVisible())
                found.push_back(help);
        return found;
    };
    frame()->action(ids::ID_HELP_HELP)->trigger();
    EXPECT_EQ(launched, 1);
    EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
    const QList<CHelpWindow*> windows = helpWindows();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->browser()->toPlainText().contains("Reading the radio"));
    windows[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    launcherWorks = true;
    frame()->action(ids::ID_HELP_HELP)->trigger();
    EXPECT_EQ(launched, 2);
    EXPECT_TRUE(helpWindows().isEmpty());
    EXPECT_TRUE(messages.empty());
    SetUrlLauncher(nullptr);
}

TEST_F(DialogsTest, SettingsThatCannotBeStoredApplyForTheSessionAndAreReported) {
    ASSERT_TRUE(start());
    // setting.ini becomes a file that no one can replace, root included.
    ASSERT_TRUE(QFile::remove(filePath("setting.ini")));
    ASSERT_TRUE(QFile::link("/proc/version", filePath("setting.ini")));
    const QByteArray before = readFile(filePath("setting.ini"));

    // Language: the menus change, the file does not, and the user is told where.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CLanguageDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (const auto& entry : ListLanguageFiles(ORVIK_SHIPPED_DATA_DIR))
            if (entry.title == "chinese")
                dialog->list()->setCurrentIndex(
                    dialog->list()->findText(QString::fromStdString(entry.display)));
        dialog->accept();
    });
    frame()->OnSettingLanguage();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(text("chinese.lang", "IDS_WARN_SETTINGS_SAVE")));
    EXPECT_TRUE(messages[0].text.contains(filePath("setting.ini")));
    EXPECT_EQ(frame()->topMenu(0)->title(), text("chinese.lang", "Menu_File"));

    // Port: COM3 is shown and used for this session.
    messages.clear();
    CPortDlg dialog(*app, frame());
    dialog.portButton(3)->setChecked(true);
    dialog.accept();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(text("chinese.lang", "IDS_WARN_SETTINGS_SAVE")));
    EXPECT_EQ(frame()->portPaneText(), "COM3");
    EXPECT_EQ(app->ConfiguredPort(), 3);
    EXPECT_EQ(readFile(filePath("setting.ini")), before);
}

TEST_F(DialogsTest, FileDialogsAndTheSaveQuestionShowNamesOnce) {
    ASSERT_TRUE(start());
    frame()->OnFileOpen();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].filters.value(0), "Radio Program Data Files (*.735)");

    // A very long file name keeps its beginning and its end on one line.
    const QString name = QString(100, 'a') + "-" + QString(100, 'b') + ".735";
    const QString file = filePath(name);
    writeFile(file, dataFileBytes(QByteArray(4096, char(0xFF))));
    ASSERT_TRUE(frame()->OpenDocumentFile(file));
    app->document()->SetModifiedFlag();
    messages.clear();
    answers = {MsgCancel};
    EXPECT_FALSE(frame()->close());
    ASSERT_EQ(messages.size(), 1u);
    const QString shown = CMainFrame::ElideMiddle(name);
    EXPECT_LE(shown.size(), 60);
    EXPECT_TRUE(shown.startsWith("aaaa"));
    EXPECT_TRUE(shown.endsWith("bb.735"));
    EXPECT_TRUE(messages[0].text.contains(shown));
    EXPECT_EQ(CMainFrame::ElideMiddle("short.735"), "short.735");
}

} // namespace
} // namespace orvik::test
