#pragma once

#include "startup/tessalineapp.h"
#include "tests/support/widgetmain.h"

// Like QTEST_MAIN, but on the program's own application object, so key preview and the
// reporting of uncaught errors work in tests as they do in the program.
#define TESSALINE_TEST_MAIN(TestObject) TESSALINE_TEST_MAIN_ON(TessalineApp, TestObject)
