#pragma once

#include "app/formbase.h"
#include "look/verselabel.h"
#include "practice/practicerules.h"

#include <QLabel>

class PictureButton;

// The practice window: the masked verse, six picture buttons and the hidden backdrop picture.
class Form1 : public FormBase, private PracticeView {
    Q_OBJECT
public:
    Form1();

    VerseLabel* Label1;
    PictureButton* Command1; // Select Verse
    PictureButton* Command5; // Show Verse
    PictureButton* Command6; // Hint
    PictureButton* Command3; // Letter Mode
    PictureButton* Command2; // Word Mode
    PictureButton* Command4; // Exit
    QLabel* Picture1;        // hidden; the source of every window's backdrop

    // Picture1's inner size in twips: the backdrop's tile size.
    double Picture1ScaleWidth() const;
    double Picture1ScaleHeight() const;
    // Picture1's picture as a block of whole tiles at the screen's resolution, where one tile
    // is no whole number of its pixels (150 %); null elsewhere. Read once per scale.
    static QPixmap Picture1Tiles(qreal devicePixelRatio);

    void PrepareVerse();

    void Command1_Click();
    void Command1_MouseDown();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Form_KeyPress(qint16 keyAscii) override;

private:
    void showTitle(const QString& title) override;
    void showMasked(const QString& masked) override;
    bool askTryAgain() override;
    void showFavourites() override;
    void refuse(const QString& message) override;
};
