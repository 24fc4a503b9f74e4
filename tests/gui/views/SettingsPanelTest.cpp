// The settings panel: lists, check boxes, the DTMF edit and the band change, driven through
// the real controls of the form.

#include "ViewFixture.h"

#include "gui/lang/ResourceIds.h"
#include "gui/views/DtmfEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace orvik::test {
namespace {

using namespace ids;

class SettingsPanelTest : public ViewTest {
protected:
    QComboBox* List(int id) const { return qobject_cast<QComboBox*>(view->control(id)); }
    QCheckBox* Check(int id) const { return qobject_cast<QCheckBox*>(view->control(id)); }
};

TEST_F(SettingsPanelTest, AllFFImageShowsTheTopOfEveryList) {
    RadioImage cleared;
    Show(cleared);
    struct Case {
        int id;
        int position;
        const char* text;
    };
    for (const Case& c : {Case{IDC_SQUELCH_LIST, 9, "9"}, Case{IDC_TOT_LIST, 10, "300"},
                          Case{IDC_VOXLEVEL_LIST, 4, "5"}, Case{IDC_FMFREQ_LIST, 210, "108M0"},
                          Case{IDC_SIDEKEY1_LIST, 3, "Alarm"}, Case{IDC_SIDEKEY2_LIST, 3, "Alarm"},
                          Case{IDC_VOICE_LIST, 1, "English"}, Case{IDC_SCANMODE_LIST, 1, nullptr},
                          Case{IDC_BAND_LIST, 2, "400-470MHz (UHF)"}}) {
        EXPECT_EQ(List(c.id)->currentIndex(), c.position) << c.id;
        if (c.text) {
            EXPECT_EQ(view->controlText(c.id), c.text) << c.id;
        }
    }
    for (int id : {IDC_BEEP, IDC_BATTERY_SAVE, IDC_FM_FUNCTION, IDC_SCAN_FUNCTION,
                   IDC_VOICE_FUNCTION, IDC_VOX_FUNCTION}) {
        EXPECT_TRUE(Check(id)->isChecked()) << id;
        EXPECT_EQ(view->checkValue(id), 1) << id;
    }
    for (int member : {view->beep, view->batterySave, view->fmRadioFunction, view->scanFunction,
                       view->voiceFunction, view->voxFunction})
        EXPECT_EQ(member, 1);
    EXPECT_EQ(view->controlText(IDC_DTMF_EDIT), "");
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(SettingsPanelTest, ListsAreFilledAndHiddenControlsStayHidden) {
    Show(Image());
    EXPECT_EQ(List(IDC_BAND_LIST)->count(), 6);
    QComboBox* timeOut = List(IDC_TOT_LIST);
    ASSERT_EQ(timeOut->count(), 11);
    EXPECT_EQ(timeOut->itemText(0), "Off");
    EXPECT_EQ(timeOut->itemText(10), "300");
    EXPECT_EQ(timeOut->currentText(), "180");
    QComboBox* fm = List(IDC_FMFREQ_LIST);
    ASSERT_EQ(fm->count(), 211);
    EXPECT_EQ(fm->itemText(0), "87M0");
    EXPECT_EQ(fm->itemText(209), "107M9");
    EXPECT_EQ(List(IDC_VOXLEVEL_LIST)->itemText(0), "1");
    EXPECT_EQ(List(IDC_SQUELCH_LIST)->count(), 10);
    EXPECT_EQ(List(IDC_SIDEKEY2_LIST)->count(), 4);
    EXPECT_EQ(List(IDC_SCANMODE_LIST)->count(), 2);

    ToneList* tones = view->toneEditor();
    ASSERT_EQ(tones->count(), 262);
    EXPECT_EQ(tones->itemText(0), "OFF");
    EXPECT_EQ(tones->itemText(1), "67.0");
    EXPECT_EQ(tones->itemText(51), "254.1");
    EXPECT_EQ(tones->itemText(52), "D023N");
    EXPECT_EQ(tones->itemText(157), "D023I");
    EXPECT_EQ(tones->itemText(261), "D777I");

    for (int id : {IDC_SIDEKEY2_LABEL, IDC_SIDEKEY2_LIST, IDC_FMFREQ_LABEL, IDC_FMFREQ_LIST,
                   IDC_DTMF_LABEL, IDC_DTMF_EDIT, IDC_FREQ_EDIT, IDC_OPTION_LIST, IDC_TONE_LIST}) {
        QWidget* w = view->control(id);
        ASSERT_NE(w, nullptr) << id;
        EXPECT_FALSE(w->isVisible()) << id;
        EXPECT_FALSE(w->isEnabled()) << id;
    }
    EXPECT_EQ(view->controlText(IDC_SIDEKEY2_LABEL), "Side Key 2");
    EXPECT_EQ(view->controlText(IDC_MODEL_GROUP), "Model Information");
    EXPECT_EQ(frame.get()->windowTitle(), "Untitled[*] - Two-Way Radio Programming Software");
}

TEST_F(SettingsPanelTest, ListChoiceIsStoredAtOnce) {
    Show(Image());
    struct Case {
        int id;
        int position;
        std::size_t offset;
        std::uint8_t stored;
    };
    // Visible lists are driven by the keyboard, the hidden ones through their selection.
    for (const Case& c : {Case{IDC_SQUELCH_LIST, 4, RadioImage::SquelchLevelOffset, 4},
                          Case{IDC_TOT_LIST, 7, RadioImage::TimeOutTimerOffset, 7},
                          Case{IDC_VOICE_LIST, 0, RadioImage::VoiceAnnunciationOffset, 0},
                          Case{IDC_SIDEKEY1_LIST, 1, RadioImage::SideKey1Offset, 1},
                          Case{IDC_VOXLEVEL_LIST, 1, RadioImage::VoxLevelOffset, 1},
                          Case{IDC_SCANMODE_LIST, 1, RadioImage::ScanModeOffset, 0xFF},
                          Case{IDC_SIDEKEY2_LIST, 2, RadioImage::SideKey2Offset, 2},
                          Case{IDC_FMFREQ_LIST, 105, RadioImage::FmRadioFreqOffset, 105}}) {
        doc->SetModifiedFlag(false);
        QComboBox* list = List(c.id);
        if (list->isVisible()) {
            list->setFocus();
            const Qt::Key key = c.position > list->currentIndex() ? Qt::Key_Down : Qt::Key_Up;
            while (list->currentIndex() != c.position)
                QTest::keyClick(list, key);
        } else {
            list->setCurrentIndex(c.position);
        }
        EXPECT_EQ(doc->image()[c.offset], c.stored) << c.id;
        EXPECT_TRUE(doc->IsModified()) << c.id;
    }
}

TEST_F(SettingsPanelTest, TheWheelChangesAListOnlyWhileItHasTheFocus) {
    Show(Image());
    QComboBox* list = List(IDC_SQUELCH_LIST);
    const int before = list->currentIndex();
    auto wheel = [list](int delta) {
        const QPointF at(list->width() / 2.0, list->height() / 2.0);
        QWheelEvent event(at, list->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &event);
    };
    // Passing over the list while scrolling the form changes nothing.
    view->setFocus();
    wheel(-120);
    EXPECT_EQ(list->currentIndex(), before);
    EXPECT_EQ(doc->image()[RadioImage::SquelchLevelOffset], 3);
    EXPECT_FALSE(doc->IsModified());
    // With the focus the wheel chooses the next entry, as the arrow keys do.
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    wheel(-120);
    EXPECT_EQ(list->currentIndex(), before + 1);
    EXPECT_EQ(doc->image()[RadioImage::SquelchLevelOffset], before + 1);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(SettingsPanelTest, CheckBoxClickedTwiceKeepsTheDocumentModified) {
    Show(Image());
    struct Case {
        int id;
        std::size_t offset;
        std::uint8_t before;
        std::uint8_t after;
        const int* member;
    };
    for (const Case& c :
         {Case{IDC_BEEP, RadioImage::BeepBatteryOffset, 0xFE, 0xFF, &view->beep},
          Case{IDC_BATTERY_SAVE, RadioImage::BeepBatteryOffset, 0xFE, 0xFC, &view->batterySave},
          Case{IDC_VOX_FUNCTION, RadioImage::VoxFunctionOffset, 0, 1, &view->voxFunction},
          Case{IDC_FM_FUNCTION, RadioImage::FmRadioFunctionOffset, 0, 1, &view->fmRadioFunction},
          Case{IDC_SCAN_FUNCTION, RadioImage::ScanFunctionOffset, 0, 1, &view->scanFunction},
          Case{IDC_VOICE_FUNCTION, RadioImage::VoiceFunctionOffset, 0, 1, &view->voiceFunction}}) {
        doc->SetModifiedFlag(false);
        QCheckBox* box = Check(c.id);
        const QPoint onBox(6, box->height() / 2);
        QTest::mouseClick(box, Qt::LeftButton, {}, onBox);
        EXPECT_EQ(doc->image()[c.offset], c.after) << c.id;
        EXPECT_EQ(view->checkValue(c.id), box->isChecked() ? 1 : 0);
        EXPECT_EQ(*c.member, box->isChecked() ? 1 : 0) << c.id;
        QTest::mouseClick(box, Qt::LeftButton, {}, onBox);
        EXPECT_EQ(doc->image()[c.offset], c.before) << c.id;
        EXPECT_TRUE(doc->IsModified()) << c.id;
    }
}

TEST_F(SettingsPanelTest, DtmfCodeIsStoredWhenTheEditLosesTheFocus) {
    Show(Image());
    DtmfEdit* edit = view->dtmfEditor();
    auto leave = [edit] {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &out);
    };
    struct Case {
        const char* text;
        DtmfBytes stored;
    };
    for (const Case& c :
         {Case{"12A", {0x01, 0x02, 0x0A, 0xFF, 0xFF}}, Case{"1x2", {0x01, 0xFF, 0xFF, 0xFF, 0xFF}},
          Case{"d0c9b", {0x0D, 0x00, 0x0C, 0x09, 0x0B}}}) {
        doc->SetModifiedFlag(false);
        edit->setText(c.text);
        leave();
        EXPECT_EQ(doc->image().dtmfDigits(), c.stored) << c.text;
        EXPECT_TRUE(doc->IsModified()) << c.text;
    }
    // Unchanged digits: not modified.
    doc->SetModifiedFlag(false);
    edit->setText("D0C9B");
    leave();
    EXPECT_FALSE(doc->IsModified());

    // Typed characters: only the DTMF digits, five at most. The control is never enabled for
    // the user; it is enabled here only to type into it.
    edit->setEnabled(true);
    edit->clear();
    QTest::keyClicks(edit, "1x2.AbE#d*c9");
    EXPECT_EQ(edit->text(), "12Abd");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "12Ab");
    edit->setEnabled(false);

    // A refresh shows the stored code.
    doc->UpdateAllViews();
    EXPECT_EQ(edit->text(), "D0C9B");
}

TEST_F(SettingsPanelTest, BandChangeAsksAndCancelKeepsEverything) {
    RadioImage image = Image(2);
    SetChannel(image, 1, "435", "440");
    image.setSquelchLevel(7);
    Show(image);
    const RadioImage before = doc->image();
    QComboBox* band = List(IDC_BAND_LIST);

    band->setFocus();
    answers = {MsgCancel};
    QTest::keyClick(band, Qt::Key_Down);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QString("Changing the frequency band clears all channels and "
                                        "resets every setting to its default. Continue?"));
    EXPECT_EQ(messages[0].caption, "Confirm");
    EXPECT_EQ(messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(band->currentIndex(), 2);
    EXPECT_TRUE(doc->image() == before);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(Cell(1, 3), "440.00000");

    answers = {MsgOk};
    QTest::keyClick(band, Qt::Key_Down);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(doc->image().bandCode(), 0xF8);
    EXPECT_EQ(doc->limits(), (FrequencyLimits{13600000, 17400000}));
    EXPECT_TRUE(doc->image() == [] {
        RadioImage expected = MakeDefaultImage();
        expected.setBandCode(0xF8);
        return expected;
    }());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(band->currentIndex(), 3);
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(view->controlText(IDC_SQUELCH_LIST), "3");
}

TEST_F(SettingsPanelTest, BandCodeF7StaysWhenItsPositionIsChosen) {
    RadioImage image = Image();
    image.setBandCode(0xF7);
    Show(image);
    QComboBox* band = List(IDC_BAND_LIST);
    EXPECT_EQ(band->currentIndex(), 2);
    {
        const QSignalBlocker blocker(band);
        band->setCurrentIndex(0);
    }
    band->setCurrentIndex(2); // the position of the stored band: nothing asked or changed
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(doc->image().bandCode(), 0xF7);
    EXPECT_FALSE(doc->IsModified());
}

class EightBandsTest : public SettingsPanelTest {
    void PrepareData() override {
        ReplaceLine("setting.ini", "Freq5=", "Freq5=136-470MHz (wide)\nFreq6=Six\nFreq7=Seven");
    }
};

TEST_F(EightBandsTest, BandBeyondTheTableStoresNoCode) {
    Show(Image(3));
    QComboBox* band = List(IDC_BAND_LIST);
    ASSERT_EQ(band->count(), 8);
    answers = {MsgOk};
    band->setCurrentIndex(6);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(doc->image().bandCode(), 0xFF);
    EXPECT_EQ(doc->limits(), (FrequencyLimits{40000000, 47000000}));
    EXPECT_EQ(band->currentIndex(), 2);
    EXPECT_EQ(doc->image().squelchLevel(), 3);
    EXPECT_TRUE(doc->IsModified());
}

class ShortListsTest : public SettingsPanelTest {
    void PrepareData() override {
        ReplaceLine("setting.ini", "Freq2=", "Freq2=");
        ReplaceLine("english.lang", "[MonitorKey]", "[NoMonitorKey]");
        ReplaceLine("english.lang", "1=English", "");
    }
};

TEST_F(ShortListsTest, ListsEndAtTheFirstMissingKey) {
    Show(Image());
    EXPECT_EQ(List(IDC_BAND_LIST)->count(), 2);
    EXPECT_EQ(List(IDC_BAND_LIST)->currentIndex(), -1);
    EXPECT_EQ(List(IDC_SIDEKEY1_LIST)->count(), 0);
    EXPECT_EQ(List(IDC_SIDEKEY2_LIST)->count(), 0);
    EXPECT_EQ(List(IDC_VOICE_LIST)->count(), 1);
    EXPECT_EQ(List(IDC_VOICE_LIST)->currentIndex(), -1); // stored 1 has no entry
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace orvik::test
