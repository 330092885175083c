#pragma once

#include "favourites/wrappedbutton.h"
#include "windowbase/formbase.h"

#include <array>

// The favourites window: six favourite buttons, a "Change Verse" beside each, and "Exit".
class Form4 : public FormBase {
    Q_OBJECT
public:
    Form4();

    std::array<WrappedButton*, 6> Command1{}; // "Change Verse", index = slot
    std::array<WrappedButton*, 6> Command3{}; // the favourites, index = slot
    QPushButton* Command2 = nullptr;          // "Exit"

    void Form_Load() override;
    void Command1_Click(qint16 index);
    void Command2_Click();
    void Command3_Click(qint16 index);

    // Captions favourite button `index` with the start of FavTexts(index) and redraws it.
    void setFavouriteCaption(int index);
    // The first 140 characters of a favourite's text: what its button shows.
    static QString favouriteCaption(const QString& text);
};
