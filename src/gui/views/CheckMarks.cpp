#include "gui/views/CheckMarks.h"

#include "core/model/RadioImage.h"
#include "gui/app/COrvikDoc.h"
#include "gui/grid/CGridCtrl.h"

#include <QUndoStack>

#include <array>

namespace orvik {

CheckMarks::CheckMarks(const AppPaths& appPaths, LangCatalog& texts, COrvikDoc& document,
                       CGridCtrl& table, QObject* parent)
    : QObject(parent), paths(appPaths), catalog(texts), doc(document), grid(table),
      current(std::make_unique<ChannelChecker>(appPaths)) {
    // Every change is a step (pushed, undone, redone, the stack emptied by New or Open); a
    // whole refresh (a language switch, a file opened) redraws the table after it.
    connect(doc.undoStack(), &QUndoStack::indexChanged, this, &CheckMarks::update);
    connect(&doc, &COrvikDoc::documentChanged, this, &CheckMarks::update);
    connect(&doc, &COrvikDoc::viewsUpdateRequested, this, &CheckMarks::update);
    update();
}

CheckMarks::~CheckMarks() = default;

void CheckMarks::reload() {
    current = std::make_unique<ChannelChecker>(paths);
    update();
}

void CheckMarks::update() {
    std::array<QStringList, ChannelCount + 1> notes;
    for (const CheckFinding& f : current->check(doc.image()))
        if (f.channel >= 1 && f.channel <= ChannelCount)
            notes[f.channel].append(ChannelChecker::findingText(catalog, f));
    for (int n = 1; n <= ChannelCount && n < grid.rowCount(); ++n)
        grid.SetItemWarning(n, 0, notes[n].join(QLatin1Char('\n')));
}

} // namespace orvik
