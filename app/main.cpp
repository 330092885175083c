#include "startup/startup.h"
#include "startup/tessalineapp.h"

int main(int argc, char** argv) {
    TessalineApp app(argc, argv);
    if (!start())
        return 1;
    return app.exec();
}
