#include "card/form3.h"

#include "windowbase/module1.h"
#include "windowbase/twips.h"

Form3::Form3() {
    setWindowTitle(QStringLiteral("Form3"));
    setClientSizeTwips(7605, 4470);

    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setGeometry(Twips::rect(3120, 3960, 1095, 375));
    Command1->setFont(Twips::sansSerif(true));
    Command1->setAutoDefault(false);

    Label1 = VerseLabel::windowVerse(this, Twips::rect(360, 360, 6855, 3135), Qt::AlignHCenter);
    // Nothing is hidden on the card: the verse reads in its own direction.
    Label1->setFollowsTextDirection(true);

    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    Command1->setFocus();
}

void Form3::Form_Load() {
    setCaption(sharedState().CurrentTitle);
    Label1->setText(sharedState().CurrentText);
}

void Form3::Command1_Click() {
    close();
}
