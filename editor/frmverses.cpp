#include "editor/frmverses.h"

#include "app/twips.h"

frmverses::frmverses() {
    setWindowTitle(QStringLiteral("verses"));
    setClientSizeTwips(6825, 5115);
}
