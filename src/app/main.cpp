// The orvik window program.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label("Orvik");
    label.show();
    return app.exec();
}
