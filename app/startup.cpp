#include "app/startup.h"

#include "app/forms.h"
#include "app/host.h"
#include "app/module1.h"
#include "app/paths.h"
#include "app/runtimeerror.h"
#include "app/verselibrary.h"
#include "practice/form1.h"

void Main() {
    VerseLibrary::attach(Paths::versesPath());
    shared().PracticeMode = 0;
    Forms::show<Form1>();
}

bool start() {
    try {
        Main();
        return true;
    } catch (const RuntimeError& error) {
        Forms::unloadAll();
        Host::reportUncaught(error);
        return false;
    }
}
