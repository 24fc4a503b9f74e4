// The channel table used as a table on the real window: typing into cells, the context menu
// from the keyboard, the window title, the table following the window's size, and selecting
// by dragging.

#include "ViewFixture.h"

#include "gui/lang/ResourceIds.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

namespace orvik::test {
namespace {

class TableUseTest : public ViewTest {
protected:
    QString text(const char* key) const { return app->LangText(key); }
    QAction* command(int id) const { return frame->action(id); }

    // Each character typed where the keyboard focus is now, as a person types.
    static void Type(const QString& keys) {
        for (const QChar c : keys)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // The focus on `row`, `col` of the grid with no editor open.
    void FocusCell(int row, int col) {
        grid->setFocus();
        grid->SetFocusCell(row, col);
        grid->SetSelectedRange(row, col, row, col);
    }
    static RadioImage NineChannels() {
        RadioImage image = Image();
        for (int n = 1; n <= 9; ++n) {
            const std::string f = std::to_string(430 + n);
            SetChannel(image, n, f.c_str(), f.c_str());
        }
        return image;
    }
    // Runs `open` (which opens the context menu) and returns where the menu showed, closing it.
    QPoint ContextMenuAt(const std::function<void()>& open) {
        QPoint shown(-1, -1);
        QTimer::singleShot(0, this->frame.get(), [&shown] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                shown = menu->pos();
                menu->close();
            }
        });
        open();
        QTest::qWait(20);
        return shown;
    }
};

TEST_F(TableUseTest, TypedCharactersOpenTheCellEditorAndEnterGoesOnInTheNextRow) {
    ASSERT_EQ(Click(1, 1), view->freqEditor());
    Type("446.1");
    Press(Qt::Key_Return);
    Type("446.2");
    Press(Qt::Key_Return);
    Type("446.3");
    Press(Qt::Key_Return);
    EXPECT_EQ(Cell(1, 1), "446.10000");
    EXPECT_EQ(Cell(2, 1), "446.20000");
    EXPECT_EQ(Cell(3, 1), "446.30000");
    EXPECT_EQ(grid->GetFocusCell().row, 4);

    // A list cell jumps to the entry the typed text begins.
    FocusCell(1, 2);
    Type("8");
    EXPECT_EQ(QApplication::focusWidget(), view->toneEditor());
    Press(Qt::Key_Return);
    EXPECT_EQ(Cell(1, 2), "82.5");
    // A read-only cell opens nothing and takes nothing.
    FocusCell(10, 2);
    Type("1");
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(Cell(10, 2), "");

    // F2 opens the editor on the cell's text, to be changed rather than replaced.
    FocusCell(2, 1);
    Press(Qt::Key_F2);
    FreqEdit* edit = view->freqEditor();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(edit->text(), "446.20000");
    EXPECT_FALSE(edit->hasSelectedText());
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Backspace);
    Type("5");
    Press(Qt::Key_Return);
    EXPECT_EQ(Cell(2, 1), "446.20500");
}

TEST_F(TableUseTest, TheContextMenuFromTheKeyboardOpensAtTheFocusCellAndActsOnItsRow) {
    Show(NineChannels());
    const QRect row2(grid->viewport()->mapToGlobal(grid->cellRect(2, 1).topLeft()),
                     grid->cellRect(2, 1).size());
    // The Menu key: the window asks the focus widget where its cursor is, as Qt does.
    FocusCell(2, 1);
    const QPoint menuAt = ContextMenuAt([this] {
        const QPoint at = grid->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, at, grid->mapToGlobal(at));
        QApplication::sendEvent(grid, &event);
    });
    EXPECT_TRUE(row2.contains(menuAt)) << menuAt.y() << " not in row 2 at " << row2.y();
    EXPECT_EQ(view->selectedChannels(), std::vector<int>{2});

    // Shift+F10 does the same.
    FocusCell(3, 4);
    const QRect cell34(grid->viewport()->mapToGlobal(grid->cellRect(3, 4).topLeft()),
                       grid->cellRect(3, 4).size());
    const QPoint shiftF10At =
        ContextMenuAt([this] { QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier); });
    EXPECT_TRUE(cell34.contains(shiftF10At));
    EXPECT_EQ(view->selectedChannels(), std::vector<int>{3});
    // Cut hits that channel, not the one in the middle of the table.
    command(ids::ID_EDIT_CUT)->trigger();
    EXPECT_EQ(Cell(3, 1), "");
    EXPECT_EQ(Cell(9, 1), "439.00000");
}

TEST_F(TableUseTest, TheTitleNamesTheDocumentWithTheUnsavedChangesMark) {
    const QString program = text("IDS_WINDOWNAME");
    EXPECT_EQ(frame->windowTitle(), text("IDS_UNTITLED") + "[*] - " + program);
    EXPECT_FALSE(frame->isWindowModified());
    TypeFrequency(1, 1, "440");
    EXPECT_TRUE(frame->isWindowModified());

    const QString file = dir.filePath("repeaters.735");
    ASSERT_TRUE(doc->DoSave(file).ok);
    EXPECT_EQ(frame->windowTitle(), "repeaters.735[*] - " + program);
    EXPECT_EQ(frame->windowFilePath(), file);
    EXPECT_FALSE(frame->isWindowModified());

    frame->OnFileNew(true);
    EXPECT_EQ(frame->windowTitle(), text("IDS_UNTITLED") + "[*] - " + program);
    ASSERT_TRUE(frame->OpenDocumentFile(file));
    EXPECT_EQ(frame->windowTitle(), "repeaters.735[*] - " + program);
}

TEST_F(TableUseTest, DraggingAcrossCellsSelectsThemWithoutAnEditorAndPasteFillsThem) {
    Show(NineChannels());
    const QPoint from = grid->cellRect(2, 1).center();
    const QPoint to = grid->cellRect(4, 3).center();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent drag(QEvent::MouseMove, QPointF(to), grid->viewport()->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &drag);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_FALSE(view->freqEditor()->isVisible());
    EXPECT_TRUE(grid->isCellSelected(2, 1));
    EXPECT_TRUE(grid->isCellSelected(4, 3));

    // Ctrl+V reaches the table, not an editor that swallows it.
    QGuiApplication::clipboard()->setText("445.5");
    QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(4, 3), "445.50000");

    // Rows by dragging over the channel numbers; Shift and Ctrl extend.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(5, 0).center());
    const QPoint rowTo = grid->cellRect(6, 0).center();
    QMouseEvent rowDrag(QEvent::MouseMove, QPointF(rowTo),
                        grid->viewport()->mapToGlobal(QPointF(rowTo)), Qt::NoButton, Qt::LeftButton,
                        Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &rowDrag);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, rowTo);
    EXPECT_EQ(view->selectedChannels(), (std::vector<int>{5, 6}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      grid->cellRect(8, 0).center());
    EXPECT_EQ(view->selectedChannels(), (std::vector<int>{5, 6, 7, 8}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      grid->cellRect(2, 0).center());
    EXPECT_EQ(view->selectedChannels(), (std::vector<int>{2, 5, 6, 7, 8}));
    EXPECT_FALSE(view->freqEditor()->isVisible());
}

// The window at a screen's size, in a language: run as a child of the test below, on an offscreen
// screen of that size (Qt reads the screens from a file named in the platform's options).
class ScreenFitChild : public ViewTest {
protected:
    void PrepareData() override {
        const QString language = qEnvironmentVariable("ORVIK_TEST_LANGUAGE");
        if (!language.isEmpty())
            ReplaceLine("setting.ini", "language=", "language=" + language);
    }
};

TEST_F(ScreenFitChild, TheWholeWindowIsOnTheScreenWithoutScrollBars) {
    if (qEnvironmentVariableIsEmpty("ORVIK_TEST_LANGUAGE"))
        GTEST_SKIP() << "run by WindowSizes.FitsTheCommonLaptopScreenInEveryScript";
    const QRect screen = frame->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(frame->frameGeometry()))
        << frame->frameGeometry().bottom() << " below " << screen.bottom();
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
}

TEST(WindowSizes, FitsTheCommonLaptopScreenInEveryScript) {
    QTemporaryDir dir;
    const QString config = dir.filePath("screen.json");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366,
                  "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    for (const char* language : {"english", "chinese", "japanese", "russian"}) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
        env.insert("ORVIK_TEST_LANGUAGE", language);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=ScreenFitChild.*"});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << language << "\n" << child.readAll().toStdString();
    }
}

TEST_F(TableUseTest, TheTableFollowsTheWindowSizeAndOnlyTheFormScrolls) {
    frame->resize(1400, 1000);
    QTest::qWait(20);
    const QWidget* form = view->form();
    EXPECT_GT(grid->height(), grid->GetTotalHeight() + 100);
    EXPECT_GT(grid->QWidget::geometry().bottom(), form->height() - 20);
    EXPECT_GT(grid->QWidget::geometry().right(), form->width() - 80);
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());

    // Smaller than the panel with the whole table: the form scrolls, the table inside it not.
    frame->resize(640, 420);
    QTest::qWait(20);
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
}

} // namespace
} // namespace orvik::test
