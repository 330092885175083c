#include "app/startup.h"

#include "app/accessconversion.h"
#include "app/forms.h"
#include "app/host.h"
#include "app/module1.h"
#include "app/paths.h"
#include "app/runtimeerror.h"
#include "app/verselibrary.h"
#include "practice/form1.h"

#include <exception>
#include <thread>

void Main() {
    const QString path = Paths::versesPath();
    // A verses.mdb kept by Access becomes the SQLite file the program works on, once.
    if (const auto converted =
            AccessConversion::convertIfAccess(path, AccessConversion::startUpNames()))
        Host::messageBox(AccessConversion::message(path, *converted));
    // The verse table is checked on a second thread while the practice window is built: the
    // two take about as long, and a second core does one while the first does the other. The
    // window is shown only once the check has passed; the thread ends before Main returns.
    std::exception_ptr failed;
    std::thread check([&] {
        try {
            VerseLibrary::attach(path);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    try {
        Forms::get<Form1>();
    } catch (...) {
        check.join();
        throw;
    }
    check.join();
    if (failed)
        std::rethrow_exception(failed);
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
