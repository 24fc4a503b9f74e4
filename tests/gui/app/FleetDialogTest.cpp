// Program > Write to Several Radios against two orvik-radio-sim radios bound to COM1 and COM2, at
// the real protocol timing.

#include "AppFixture.h"

#include "gui/app/COrvikDoc.h"
#include "gui/link/CFleetDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace orvik::test {
namespace {

class FleetDialogTest : public AppFixture {};

// Both radios are written and verified in parallel while the window stays responsive; each row
// shows its success, the count is right, and the report holds both radios.
TEST_F(FleetDialogTest, TwoRadiosAreWrittenAndVerifiedAndTheReportIsSaved) {
    RadioSim first({QStringLiteral("--save"), filePath("radio1.735")});
    RadioSim second({QStringLiteral("--save"), filePath("radio2.735")});
    ASSERT_TRUE(first.started() && second.started());
    writeSettings("[setup]\nlanguage=english\ncom=1\nsearchcom=0\n[safety]\nverify=1\n[ports]\n"
                  "COM1=" +
                  first.device().toUtf8() + "\nCOM2=" + second.device().toUtf8() + "\n");
    QByteArray image(4096, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 11 + 3) & 0xFF);
    image[0x3D2] = char(0xF4);
    const QString file = filePath("doc.735");
    writeFile(file, dataFileBytes(image));
    ASSERT_TRUE(start(file));
    const QByteArray docImage(reinterpret_cast<const char*>(app->document()->image().data()), 4096);

    CFleetDlg dialog(*app, frame());
    dialog.show();
    QTableWidget* table = dialog.table();
    std::vector<int> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString device = table->item(row, CFleetDlg::ColDevice)->text();
        const bool ours = device == first.device() || device == second.device();
        table->item(row, CFleetDlg::ColPort)->setCheckState(ours ? Qt::Checked : Qt::Unchecked);
        if (ours)
            rows.push_back(row);
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(table->item(rows[0], CFleetDlg::ColPort)->text(), "COM1");
    EXPECT_TRUE(dialog.verifyCheck()->isChecked());
    EXPECT_FALSE(dialog.reportButton()->isEnabled());

    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.running());
    EXPECT_TRUE(dialog.stopButton()->isEnabled());
    EXPECT_FALSE(dialog.startButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.running(), 60000);

    for (const int row : rows) {
        EXPECT_EQ(table->item(row, CFleetDlg::ColResult)->text(), "Written and verified") << row;
        EXPECT_EQ(
            static_cast<QProgressBar*>(table->cellWidget(row, CFleetDlg::ColProgress))->value(),
            100);
    }
    EXPECT_EQ(dialog.countLabel()->text(), "2 written and verified, 0 written but not verified, "
                                           "0 partly written, 0 not started, 0 failed");
    for (const char* saved : {"radio1.735", "radio2.735"})
        EXPECT_EQ(readFile(filePath(saved)).mid(48, 0x3E0), docImage.left(0x3E0)) << saved;
    if (qEnvironmentVariableIsSet("ORVIK_FLEET_SCREENSHOT"))
        dialog.grab().save(qEnvironmentVariable("ORVIK_FLEET_SCREENSHOT"));

    ASSERT_TRUE(dialog.reportButton()->isEnabled());
    fileAnswers.push_back(filePath("report.csv"));
    QTest::mouseClick(dialog.reportButton(), Qt::LeftButton);
    const QByteArray report = readFile(filePath("report.csv"));
    EXPECT_TRUE(report.startsWith("number,port,device,ident,result,")) << report.toStdString();
    EXPECT_EQ(report.count(",verified,,"), 2) << report.toStdString();
}

} // namespace
} // namespace orvik::test
