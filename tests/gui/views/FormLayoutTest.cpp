// The form as laid out with the platform's fonts, in every shipped language: no text clipped,
// no controls overlapping. With ORVIK_SCREENSHOT_DIR set, the filled window is saved there.

#include "ViewFixture.h"

#include "core/lang/LangText.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/views/DialogUnits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <string>
#include <vector>

namespace orvik::test {
namespace {

TEST(DialogUnitsTest, ConvertsEachEdgeWithRounding) {
    const DialogUnits du(6, 13); // the classic 8-point dialog font
    EXPECT_EQ(du.x(569), 854);
    EXPECT_EQ(du.y(366), 595);
    EXPECT_EQ(du.x(1), 2); // 1.5 rounds up
    EXPECT_EQ(du.y(3), 5); // 4.875
    const QRect r = du.rect(9, 9, 179, 49);
    EXPECT_EQ(r, QRect(14, 15, 282 - 14, 94 - 15));
}

class FormLayoutTest : public ViewTest, public ::testing::WithParamInterface<std::string> {};

// Every language file shipped in data/, by title, so a new file is laid out without listing it.
std::vector<std::string> ShippedTitles() {
    std::vector<std::string> titles;
    for (const auto& entry : ListLanguageFiles(ORVIK_SHIPPED_DATA_DIR))
        titles.push_back(entry.title);
    return titles;
}

// The longest text a control has to show, measured against the room it has.
void ExpectFits(QWidget* w) {
    const QString name = QString::number(ControlId(w));
    if (auto* label = qobject_cast<QLabel*>(w)) {
        EXPECT_LE(label->sizeHint().width(), label->width()) << name.toStdString();
        EXPECT_LE(label->fontMetrics().height(), label->height()) << name.toStdString();
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
        EXPECT_LE(box->sizeHint().width(), box->width()) << name.toStdString();
        EXPECT_LE(box->sizeHint().height(), box->height()) << name.toStdString();
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()) + 20, group->width());
    } else if (auto* list = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(list);
        opt.rect = list->rect();
        opt.editable = false;
        opt.frame = true;
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                          QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i)
            EXPECT_LE(list->fontMetrics().horizontalAdvance(list->itemText(i)), field.width())
                << name.toStdString() << " " << list->itemText(i).toStdString();
    }
}

TEST_P(FormLayoutTest, NothingClippedOrOverlapping) {
    const QString language = QString::fromStdString(GetParam());
    app->SetLanguageFile(dir.filePath(language + ".lang").toStdString());
    RadioImage image = Image(4);
    SetChannel(image, 1, "435.125", "435.125");
    SetChannel(image, 2, "145.5", "145.6");
    SetChannel(image, 3, "462.5625", "467.5625");
    image.setRxTone(2, TextToTone("88.5"));
    image.setTxTone(2, TextToTone("D754I"));
    image.setRxTone(3, TextToTone("D023N"));
    image.setNarrow(3, 1);
    image.setHighPower(3, 0);
    Show(image);
    app->RefreshLanguage();
    // The scroll area gives the form the size it asks for on its next pass.
    QCoreApplication::processEvents();

    QWidget* form = view->form();
    // A form wider than the window shows its start: its right edge when right to left.
    const int viewportWidth = view->viewport()->width();
    if (form->width() > viewportWidth) {
        EXPECT_EQ(form->isRightToLeft() ? form->x() + form->width() : form->x(),
                  form->isRightToLeft() ? viewportWidth : 0);
    }
    QList<QWidget*> shown;
    for (QObject* o : form->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || !ControlId(w) || !w->isVisible())
            continue;
        EXPECT_TRUE(form->rect().contains(w->geometry())) << ControlId(w);
        ExpectFits(w);
        shown.append(w);
    }
    EXPECT_EQ(shown.size(), 22);
    const QRect group = view->control(ids::IDC_MODEL_GROUP)->geometry();
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j) {
            const QRect a = shown[i]->geometry(), b = shown[j]->geometry();
            if ((a == group && group.contains(b)) || (b == group && group.contains(a)))
                continue;
            EXPECT_FALSE(a.intersects(b)) << ControlId(shown[i]) << " " << ControlId(shown[j]);
        }

    // Header and cell texts fit their columns.
    const QFontMetrics fm(grid->GetFont());
    for (int r = 0; r <= 3; ++r)
        for (int c = 0; c < 10; ++c)
            EXPECT_LE(fm.horizontalAdvance(Cell(r, c)) + 4, grid->GetColumnWidth(c))
                << r << "," << c << " " << Cell(r, c).toStdString();
    // The heading of the focus cell's column is bold; it fits as well.
    QFont bold = grid->GetFont();
    bold.setBold(true);
    for (int c = 0; c < 10; ++c)
        EXPECT_LE(QFontMetrics(bold).horizontalAdvance(Cell(0, c)) + 6, grid->GetColumnWidth(c))
            << Cell(0, c).toStdString();
    EXPECT_LE(grid->GetTotalWidth(), grid->viewport()->width());
    EXPECT_LE(grid->GetTotalHeight(), grid->viewport()->height());

    const QString shots = qEnvironmentVariable("ORVIK_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(doc->DoSave(shots + "/sample.735").ok);
        EXPECT_TRUE(frame.get()->grab().save(shots + "/orvik-window-" + language + ".png"));
        EXPECT_TRUE(form->grab().save(shots + "/orvik-form-" + language + ".png"));
        // An open tone editor over its cell.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(2, 4).center());
        EXPECT_TRUE(form->grab().save(shots + "/orvik-form-tone-" + language + ".png"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(3, 3).center());
        EXPECT_TRUE(form->grab().save(shots + "/orvik-form-freq-" + language + ".png"));
        // The same in a dark colour scheme.
        const QPalette light = QApplication::palette();
        QPalette dark(QColor(53, 53, 53));
        dark.setColor(QPalette::Base, QColor(35, 35, 35));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::ButtonText, Qt::white);
        dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
        QApplication::setPalette(dark);
        QTest::qWait(50);
        EXPECT_TRUE(frame.get()->grab().save(shots + "/orvik-window-" + language + "-dark.png"));
        QApplication::setPalette(light);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, FormLayoutTest, ::testing::ValuesIn(ShippedTitles()),
                         [](const ::testing::TestParamInfo<std::string>& p) {
                             std::string name = p.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The window shows the whole form where the screen allows: it shrinks to a smaller form and
// grows for a larger one, but never beyond the screen's free area.
TEST(WindowFit, GrowsToTheFormUpToTheScreenAndShrinksToIt) {
    struct Case {
        QSize window, spare, available, expected;
    };
    for (const Case& c : {
             Case{{900, 650}, {50, 40}, {1920, 1040}, {850, 610}},     // smaller form
             Case{{900, 650}, {-120, -10}, {1920, 1040}, {1020, 660}}, // larger form
             Case{{900, 650}, {-120, -10}, {1000, 640}, {1000, 650}},  // capped by the screen
             Case{{900, 650}, {-120, -10}, {800, 600}, {900, 650}},    // screen smaller still
             Case{{900, 650}, {-100, 50}, {1920, 1040}, {1000, 600}},  // wider, lower form
         })
        EXPECT_EQ(COrvikView::FittedWindowSize(c.window, c.spare, c.available), c.expected)
            << c.spare.width() << "," << c.spare.height();
}

} // namespace
} // namespace orvik::test
