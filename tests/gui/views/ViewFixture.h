#pragma once
// A running window program on a scratch copy of the shipped data, with its message boxes
// answered from a queue, and helpers that drive the form view's real widgets.

#include "core/model/Codecs.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/frame/CMainFrame.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/views/COrvikView.h"
#include "gui/views/FreqEdit.h"
#include "gui/views/InPlaceList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

namespace orvik::test {

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QDir shipped(QStringLiteral(ORVIK_SHIPPED_DATA_DIR));
        for (const QString& name : shipped.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(shipped.filePath(name), dir.filePath(name)));
        PrepareData();
        SetMessageBoxHook([this](const MessageRecord& r) {
            messages.push_back(r);
            if (answers.empty())
                return int(MsgCancel);
            const int a = answers.front();
            answers.pop_front();
            return a;
        });
        app = std::make_unique<COrvikApp>(QFile::encodeName(dir.path()).toStdString());
        ASSERT_TRUE(app->InitInstance());
        frame = std::make_unique<CMainFrame>(*app);
        ASSERT_TRUE(frame->Start());
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        view = frame->view();
        grid = view->grid();
        doc = app->document();
    }

    void TearDown() override {
        frame.reset();
        app.reset();
        SetMessageBoxHook({});
    }

    // Changes the scratch data before the program starts.
    virtual void PrepareData() {}

    // Replaces a line "key=..." of a data file (or appends it to the end of the file).
    void ReplaceLine(const QString& file, const QString& prefix, const QString& line) {
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
        f.close();
        bool found = false;
        for (QString& l : lines)
            if (l.startsWith(prefix)) {
                l = line;
                found = true;
            }
        if (!found)
            lines.append(line);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(lines.join('\n').toUtf8());
    }

    // Shows an image as a file open would: limits recomputed, document unmodified.
    void Show(const RadioImage& image) {
        doc->image() = image;
        doc->RecomputeLimits();
        doc->SetModifiedFlag(false);
        doc->UpdateAllViews();
    }

    // The default image of a band (list position) with some channels used.
    static RadioImage Image(int bandPosition = 2) {
        RadioImage image;
        FrequencyLimits limits{};
        image.selectBand(bandPosition, limits);
        return image;
    }
    static void SetChannel(RadioImage& image, int n, const char* rx, const char* tx) {
        image.setRxFreq(n, TextToFreq(rx));
        image.setTxFreq(n, TextToFreq(tx));
    }

    QString Cell(int row, int col) const { return grid->GetItemText(row, col); }
    bool ReadOnly(int row, int col) const {
        return grid->GetItemState(row, col) & GridState::ReadOnly;
    }

    // Clicks a cell as the user would; returns the widget that has the focus afterwards.
    QWidget* Click(int row, int col) {
        const QRect r = grid->cellRect(row, col);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        return QApplication::focusWidget();
    }

    // Opens the frequency editor on a cell, types `keys` over the selected text, presses
    // `end` (Enter commits through the focus move to the grid).
    void TypeFrequency(int row, int col, const QString& keys, Qt::Key end = Qt::Key_Return) {
        FreqEdit* edit = view->freqEditor();
        ASSERT_EQ(Click(row, col), edit);
        QTest::keyClicks(edit, keys);
        QTest::keyClick(edit, end);
        ASSERT_FALSE(edit->isVisible());
    }

    QTemporaryDir dir;
    std::unique_ptr<COrvikApp> app;
    std::unique_ptr<CMainFrame> frame;
    COrvikView* view = nullptr;
    CGridCtrl* grid = nullptr;
    COrvikDoc* doc = nullptr;
    std::deque<int> answers;
    std::vector<MessageRecord> messages;
};

} // namespace orvik::test
