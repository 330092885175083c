#pragma once

#include "look/verselabel.h"
#include "windowbase/formbase.h"

#include <QPushButton>

// The verse card: the current verse's title and full text, as they were when it loaded.
class Form3 : public FormBase {
    Q_OBJECT
public:
    Form3();

    QPushButton* Command1; // Ok
    VerseLabel* Label1;

    void Form_Load() override;
    void Command1_Click();
};
