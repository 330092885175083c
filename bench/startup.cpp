// The program's own start-up path, as app/main.cpp runs it (application object, then start():
// the verse library from verses.mdb beside the executable, then the practice window), ending
// once the practice window has been exposed and painted. Nothing else is added, so the time
// from process start to exit is the program's start-up plus its exit.

#include "quitonexpose.h"

#include "practice/form1.h"
#include "startup/startup.h"
#include "startup/tessalineapp.h"

int main(int argc, char** argv) {
    TessalineApp app(argc, argv);
    QuitOnExpose quit([](const QWidget* w) { return qobject_cast<const Form1*>(w) != nullptr; });
    if (!start())
        return 1;
    return app.exec();
}
