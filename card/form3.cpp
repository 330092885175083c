#include "card/form3.h"

#include "app/module1.h"
#include "app/twips.h"

Form3::Form3() {
    setWindowTitle(QStringLiteral("Form3"));
    setClientSizeTwips(7605, 4470);

    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setGeometry(Twips::rect(3120, 3960, 1095, 375));
    Command1->setFont(Twips::sansSerif(true));
    Command1->setAutoDefault(false);

    Label1 = new VerseLabel(this);
    Label1->setGeometry(Twips::rect(360, 360, 6855, 3135));
    Label1->setFont(Twips::font(QStringLiteral("Times New Roman"), 14.25, true));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // Nothing is hidden on the card: the verse reads in its own direction.
    Label1->setFollowsTextDirection(true);
    Label1->setAccessibleName(QStringLiteral("Verse"));

    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    Command1->setFocus();
}

void Form3::Form_Load() {
    setCaption(shared().CurrentTitle);
    Label1->setText(shared().CurrentText);
}

void Form3::Command1_Click() {
    close();
}
