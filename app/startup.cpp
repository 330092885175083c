#include "app/startup.h"

#include "app/accessconversion.h"
#include "app/forms.h"
#include "app/host.h"
#include "app/module1.h"
#include "app/paths.h"
#include "app/runtimeerror.h"
#include "app/verselibrary.h"
#include "practice/form1.h"

void Main() {
    const QString path = Paths::versesPath();
    // A verses.mdb kept by Access becomes the SQLite file the program works on, once.
    if (const auto converted =
            AccessConversion::convertIfAccess(path, AccessConversion::startUpNames()))
        Host::messageBox(AccessConversion::message(path, *converted));
    VerseLibrary::attach(path);
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
