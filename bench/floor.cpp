// The floor for start-up time and memory: the least a Qt Widgets program does to show one
// empty window of the practice window's size (597 x 367 pixels). It ends once the window has
// been exposed and painted, exactly as bench_startup does for the practice window.

#include "quitonexpose.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QuitOnExpose quit([](const QWidget*) { return true; });
    QWidget window;
    window.resize(597, 367);
    window.show();
    return app.exec();
}
