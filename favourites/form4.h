#pragma once

#include "app/formbase.h"

// The favourites window (being built).
class Form4 : public FormBase {
    Q_OBJECT
public:
    Form4();
};
