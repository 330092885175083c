#pragma once

#include "app/formbase.h"

// The verse editor (being built).
class frmverses : public FormBase {
    Q_OBJECT
public:
    frmverses();
};
