#include "app/startup.h"

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
    const QString verses = Paths::versesPath();
    // The verse table is checked on a second thread while the practice window is built: the
    // two take about as long, and a second core does one while the first does the other. The
    // window is shown only once the check has passed.
    std::exception_ptr failed;
    std::thread check([&] {
        try {
            VerseLibrary::attach(verses);
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
