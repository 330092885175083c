#include "windowbase/module1.h"

namespace {
Module1 state;
}

Module1& sharedState() {
    return state;
}

void resetSharedState() {
    state = Module1{};
}
