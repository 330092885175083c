#include "favourites/form4.h"

#include "app/forms.h"
#include "app/host.h"
#include "app/module1.h"
#include "app/twips.h"
#include "editor/frmverses.h"
#include "favourites/favsfile.h"
#include "practice/form1.h"
#include "practice/picturebutton.h"

#include <QTextBoundaryFinder>

namespace {

constexpr int CaptionLength = 140;

} // namespace

Form4::Form4() {
    setWindowTitle(QStringLiteral("Favorite Verses"));
    setClientSizeTwips(7800, 4365);

    auto changeButton = [this](int i) {
        auto* b = new WrappedButton(this);
        b->setCaption(QStringLiteral("Change Verse"));
        b->setGeometry(Twips::rect(6720, 120 + 600 * i, 975, 495));
        b->setFont(Twips::sansSerif(true));
        connect(b, &QAbstractButton::clicked, this, [this, i] { Command1_Click(qint16(i)); });
        Command1[i] = b;
    };
    auto favouriteButton = [this](int i) {
        auto* b = new WrappedButton(this);
        b->setGeometry(Twips::rect(120, 120 + 600 * i, 6495, 495));
        b->setFont(Twips::sansSerif(true));
        connect(b, &QAbstractButton::clicked, this, [this, i] { Command3_Click(qint16(i)); });
        Command3[i] = b;
    };

    // Created in tab order: the first "Change Verse", the six favourites, the other five
    // "Change Verse", then "Exit".
    changeButton(0);
    for (int i = 0; i < Module1::ShownFavourites; ++i)
        favouriteButton(i);
    for (int i = 1; i < Module1::ShownFavourites; ++i)
        changeButton(i);

    Command2 = new QPushButton(QStringLiteral("Exit"), this);
    Command2->setGeometry(Twips::rect(3120, 3840, 1335, 375));
    Command2->setFont(Twips::sansSerif(true, 9.75));
    Command2->setAutoDefault(false);
    Command2->setDefault(false);
    connect(Command2, &QAbstractButton::clicked, this, &Form4::Command2_Click);

    Command1[0]->setFocus();
}

void Form4::Form_Load() {
    LoadFavs();
    for (int i = 0; i < Module1::ShownFavourites; ++i)
        setFavouriteCaption(i);
}

void Form4::Command1_Click(qint16 index) {
    shared().FavSlot = index;
    Forms::show<frmverses>();
}

void Form4::Command2_Click() {
    Host::endProgram(0);
}

void Form4::Command3_Click(qint16 index) {
    Module1& s = shared();
    s.FavSlot = index;
    s.CurrentText = s.FavTexts[index];
    s.CurrentTitle = s.FavTitles[index];
    // A fresh mask: nothing of a run left half typed shows through.
    s.MaskedText = QString(255, QLatin1Char(' '));
    Forms::get<Form1>().PrepareVerse();
    Form1& practice = Forms::show<Form1>();
    practice.Command1->setFocus();
    practice.activateWindow();
}

void Form4::setFavouriteCaption(int index) {
    WrappedButton* button = Command3[index];
    const QString caption = favouriteCaption(shared().FavTexts[index]);
    button->setCaption(caption);
    // Screen readers tell the six rows apart by number; an empty one is named as such.
    const QString number = QString::number(index + 1);
    if (caption.isEmpty())
        button->setAccessibleName(QStringLiteral("Empty favourite ") + number);
    Command1[index]->setAccessibleName(QStringLiteral("Change Verse"));
    Command1[index]->setAccessibleDescription(
        caption.isEmpty() ? QStringLiteral("favourite ") + number
                          : QStringLiteral("favourite %1: %2").arg(number, caption));
    button->repaint();
}

QString Form4::favouriteCaption(const QString& text) {
    // Characters as the user sees them: a letter with its accents, a flag, a joined emoji
    // count once and are never cut in half.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int n = 0; n < CaptionLength && end < text.size(); ++n) {
        const qsizetype next = graphemes.toNextBoundary();
        end = next < 0 ? text.size() : next;
    }
    return text.left(end);
}
