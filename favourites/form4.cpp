#include "favourites/form4.h"

#include "app/twips.h"

Form4::Form4() {
    setWindowTitle(QStringLiteral("Favorite Verses"));
    setClientSizeTwips(7800, 4365);
}
