#include "startup/startup.h"

#include "base/accessconversion.h"
#include "base/paths.h"
#include "base/runtimeerror.h"
#include "base/verselibrary.h"
#include "practice/form1.h"
#include "windowbase/forms.h"
#include "windowbase/host.h"
#include "windowbase/module1.h"

void Main() {
    const QString path = Paths::versesPath();
    // A verses.mdb kept by Access becomes the SQLite file the program works on, once.
    if (const auto converted =
            AccessConversion::convertIfAccess(path, AccessConversion::startUpNames()))
        Host::messageBox(AccessConversion::message(path, *converted));
    // Checked before any window is built, so a file that cannot be used ends the program with
    // its message and nothing else on screen. (A second thread for the check made start-up
    // slower: it began later than the check takes here, and slowed the window's building.)
    VerseLibrary::checkFile(path);
    sharedState().PracticeMode = 0;
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
