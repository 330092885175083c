#pragma once

#include "startup/tessalineapp.h"

#include <QTest>

// Like QTEST_MAIN, but on the program's own application object, so key preview and the
// reporting of uncaught errors work in tests as they do in the program.
#define TESSALINE_TEST_MAIN(TestObject)                                                            \
    int main(int argc, char** argv) {                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        TessalineApp app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
