#include "windowbase/module1.h"

namespace {
Module1 state;
}

Module1& shared() {
    return state;
}

void resetShared() {
    state = Module1{};
}
