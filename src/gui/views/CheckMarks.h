#pragma once
// The channel check in the channel table: after every change of the document, each channel
// with a finding gets a warning mark in its CH cell with the findings as its tool tip.

#include "gui/app/ChannelChecker.h"

#include <QObject>

#include <memory>

namespace orvik {

class AppPaths;
class CGridCtrl;
class COrvikDoc;
class LangCatalog;

class CheckMarks : public QObject {
    Q_OBJECT
public:
    CheckMarks(const AppPaths& paths, LangCatalog& catalog, COrvikDoc& doc, CGridCtrl& grid,
               QObject* parent = nullptr);
    ~CheckMarks() override;

    // Reads the settings and plans again (setting.ini or a plans folder changed), then update().
    void reload();
    // The marks set from the document's image as it is now.
    void update();
    // The checker the marks come from.
    const ChannelChecker& checker() const { return *current; }

private:
    const AppPaths& paths;
    LangCatalog& catalog;
    COrvikDoc& doc;
    CGridCtrl& grid;
    std::unique_ptr<ChannelChecker> current;
};

} // namespace orvik
