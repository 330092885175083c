// The program's practice window waiting for keys, for bench_keylatency: a verse started the
// way a favourite starts one, every key then going through the program's own event handling
// (key preview, the typing check, the label's repaint). Prints the window's X id and the keys
// that type the verse, then runs until killed.

#include "versemaker.h"

#include "app/cp1252.h"
#include "app/forms.h"
#include "app/module1.h"
#include "app/tessalineapp.h"
#include "practice/form1.h"
#include "practice/picturebutton.h"
#include "practice/practicerules.h"

#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    TessalineApp app(argc, argv);
    Module1& s = shared();
    Form1& form = Forms::show<Form1>();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    VerseMaker maker(250);
    s.CurrentTitle = QStringLiteral("Psalm 250:1");
    s.CurrentText = maker.text(250);
    s.MaskedText = QString(255, QLatin1Char(' '));
    s.PracticeMode = 0;
    form.PrepareVerse();
    form.Command1->setFocus();
    QString keys;
    for (QChar c : s.CurrentText)
        if (PracticeRules::isTyped(Cp1252::code(c)))
            keys += c.toLower();
    std::printf("window %llu\nkeys %s\n", static_cast<unsigned long long>(form.winId()),
                qPrintable(keys));
    std::fflush(stdout);
    return app.exec();
}
