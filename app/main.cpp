#include "app/host.h"
#include "app/runtimeerror.h"
#include "app/startup.h"
#include "app/tessalineapp.h"

int main(int argc, char** argv) {
    TessalineApp app(argc, argv);
    try {
        Main();
    } catch (const RuntimeError& error) {
        Host::reportUncaught(error);
        return 1;
    }
    return app.exec();
}
