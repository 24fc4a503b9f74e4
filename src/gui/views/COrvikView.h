#pragma once
// The form view (form 101): the settings panel above the channel table. Every control writes
// its field of the document's image at once; a refresh rebuilds everything from the image.

#include <QScrollArea>

namespace orvik {

class COrvikApp;
class COrvikDoc;

class COrvikView : public QScrollArea {
    Q_OBJECT
public:
    COrvikView(COrvikApp& app, COrvikDoc& doc, QWidget* parent);

    // Once after the window exists: refresh, relabel the menu.
    void OnInitialUpdate();
    // The update hook: rebuilds the panel and the table from the image.
    void OnUpdate();

    void OnFilePrint(bool direct);
    void OnFilePrintPreview();
    void OnFilePrintSetup();

    QWidget* form() const { return formWidget; }

private:
    COrvikApp& app;
    COrvikDoc& doc;
    QWidget* formWidget = nullptr;
};

} // namespace orvik
