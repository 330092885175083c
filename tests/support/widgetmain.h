#pragma once

#include "look/fonts.h"

#include <QApplication>
#include <QTest>

// Like QTEST_MAIN on the given application class, with the screen at 96 dots per inch, so
// twips come out as on the program's reference screen.
#define TESSALINE_TEST_MAIN_ON(Application, TestObject)                                            \
    int main(int argc, char** argv) {                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        Application app(argc, argv);                                                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

// A plain application with the program's fonts: for tests of a layer below start-up, which
// need widgets but none of start-up's wiring.
class WidgetTestApp : public QApplication {
public:
    WidgetTestApp(int& argc, char** argv) : QApplication(argc, argv) { Look::substituteFonts(); }
};
#define TESSALINE_WIDGET_TEST_MAIN(TestObject) TESSALINE_TEST_MAIN_ON(WidgetTestApp, TestObject)
