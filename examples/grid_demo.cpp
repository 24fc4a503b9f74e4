// A 17 x 10 grid laid out the way the channel table lays it out: header row and channel
// column, widths 40/100/70, heights 28/21, centred single-line texts, read-only cells in
// the system's grey. Pressing Enter or clicking a cell shows the begin-edit request in the
// window title. `--screenshot FILE.png` grabs the window once it is shown and exits.
#include "gui/grid/CGridCtrl.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>

#include <cstdio>

using orvik::CGridCtrl;
using orvik::GridItem;

namespace {

struct Channel {
    const char* rx;
    const char* rxTone;
    const char* tx;
    const char* txTone;
};

// Some channels in use, the rest empty: empty channels are read-only past column 1.
const Channel kChannels[16] = {
    {"435.12500", "67.0", "435.12500", "67.0"},
    {"436.50000", "OFF", "436.50000", "OFF"},
    {"446.00625", "D023N", "446.00625", "D023N"},
    {"446.01875", "88.5", "441.01875", "88.5"},
    {"", "", "", ""},
    {"462.56250", "OFF", "", ""},
    {"", "", "", ""},
    {"409.75000", "D754I", "409.75000", "D754I"},
    {"", "", "", ""},
    {"", "", "", ""},
    {"450.00000", "123.0", "455.00000", "OFF"},
    {"", "", "", ""},
    {"", "", "", ""},
    {"", "", "", ""},
    {"", "", "", ""},
    {"469.99375", "254.1", "469.99375", "254.1"},
};

const char* const kHeaders[10] = {"CH",           "RX Freq (MHz)", "RX CTCSS/DCS", "TX Freq (MHz)",
                                  "TX CTCSS/DCS", "Scan Add",      "Bandwidth",    "Power",
                                  "BCL",          "Scrambler"};

void fill(CGridCtrl& grid) {
    grid.SetRowCount(17);
    grid.SetColumnCount(10);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    grid.SetResizing(false, false);
    grid.ClearSelection();
    grid.selectionEnabled = false;
    for (int c = 0; c < 10; ++c)
        grid.SetColumnWidth(c, c == 0 ? 40 : c <= 4 ? 100 : 70);
    grid.SetRowHeight(0, 28);
    for (int r = 1; r <= 16; ++r)
        grid.SetRowHeight(r, 21);

    grid.SetRedraw(false);
    GridItem item;
    item.mask = orvik::GridMask::Text | orvik::GridMask::Format;
    item.format = 0x25; // centred, vertically centred, single line
    for (int c = 0; c < 10; ++c) {
        item.row = 0;
        item.col = c;
        item.text = QString::fromLatin1(kHeaders[c]);
        grid.SetItem(item);
    }
    const quint32 grey = CGridCtrl::SystemGreyTextColour();
    for (int n = 1; n <= 16; ++n) {
        const Channel& ch = kChannels[n - 1];
        const bool rxEmpty = ch.rx[0] == '\0';
        const bool txEmpty = rxEmpty || ch.tx[0] == '\0';
        const QString texts[10] = {
            QString::number(n),
            QString::fromLatin1(ch.rx),
            QString::fromLatin1(ch.rxTone),
            QString::fromLatin1(ch.tx),
            QString::fromLatin1(txEmpty ? "" : ch.txTone),
            rxEmpty ? QString() : QStringLiteral("YES"),
            rxEmpty ? QString() : (n % 3 ? QStringLiteral("WIDE") : QStringLiteral("NARROW")),
            rxEmpty ? QString() : (n % 2 ? QStringLiteral("HIGH") : QStringLiteral("LOW")),
            rxEmpty ? QString() : QStringLiteral("NO"),
            rxEmpty ? QString() : QStringLiteral("NO"),
        };
        for (int c = 0; c < 10; ++c) {
            item.row = n;
            item.col = c;
            item.text = texts[c];
            grid.SetItem(item);
            if (c == 0)
                continue;
            const bool readOnly = c == 1 ? false : c == 4 ? txEmpty : rxEmpty;
            const unsigned state = grid.GetItemState(n, c);
            grid.SetItemState(n, c,
                              readOnly ? state | orvik::GridState::ReadOnly
                                       : state & ~orvik::GridState::ReadOnly);
            grid.SetItemTextColour(n, c, readOnly ? grey : orvik::kGridDefaultColour);
        }
    }
    grid.SetRedraw(true, true);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("grid_demo"));
    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the window and exit."),
                                  QStringLiteral("FILE.png"));
    parser.addOption(shotOption);
    parser.process(app);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Grid demo"));
    auto* grid = new CGridCtrl;
    grid->setControlId(1016);
    fill(*grid);
    window.setCentralWidget(grid);
    const int frame = 2 * grid->frameWidth();
    window.resize(grid->GetTotalWidth() + frame, grid->GetTotalHeight() + frame);

    QObject::connect(grid, &CGridCtrl::beginEdit, &window, [&window](const orvik::GridNotify& n) {
        window.setWindowTitle(QStringLiteral("Grid demo - edit row %1, column %2: \"%3\"")
                                  .arg(n.item.row)
                                  .arg(n.item.col)
                                  .arg(n.item.text));
    });

    window.show();
    grid->setFocus();
    grid->SetFocusCell(1, 1);

    if (parser.isSet(shotOption)) {
        const QString file = parser.value(shotOption);
        QTimer::singleShot(300, &window, [&window, file] {
            const bool ok = window.grab().save(file);
            if (!ok)
                std::fprintf(stderr, "grid_demo: cannot write %s\n", qPrintable(file));
            QApplication::exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
