#include "practice/form1.h"

#include "app/forms.h"
#include "app/host.h"
#include "app/module1.h"
#include "app/twips.h"
#include "card/form3.h"
#include "favourites/form4.h"
#include "look/picture.h"
#include "practice/picturebutton.h"

#include <QHash>

namespace {

// The backdrop's picture, in the variants Look chooses from.
QString picture1File() {
    return QStringLiteral(":/images/picture1.bmp");
}

} // namespace

Form1::Form1() {
    setWindowTitle(QStringLiteral("Tessaline"));
    setClientSizeTwips(8955, 5505);
    setKeyPreview(true);

    Label1 = new VerseLabel(this);
    Label1->setGeometry(Twips::rect(240, 240, 6975, 5055));
    Label1->setFont(Twips::font(QStringLiteral("Times New Roman"), 14.25, true));
    // A verse is shown as it is: never rich text, "&" as "&".
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFocusPolicy(Qt::NoFocus);
    Label1->setAccessibleName(QStringLiteral("Verse"));

    auto button = [this](const char* picture, const char* words, const char* does, int top) {
        auto* b = new PictureButton(QString::fromLatin1(picture), QString::fromLatin1(words), this);
        b->setGeometry(Twips::rect(7440, top, 1410, 780));
        // What the button does, for screen readers: without it they would read the words twice.
        b->setAccessibleDescription(QString::fromLatin1(does));
        return b;
    };
    // Created in tab order, so the window opens with the focus on Select Verse.
    Command1 = button(":/images/select-verse.bmp", "Select Verse",
                      "Opens Favorite Verses to choose a verse", 120);
    Command2 = button(":/images/word-mode.bmp", "Word Mode",
                      "Each correct key uncovers the rest of the word", 3600);
    Command3 = button(":/images/letter-mode.bmp", "Letter Mode",
                      "Each correct key uncovers one letter", 2760);
    Command4 = button(":/images/exit.bmp", "Exit", "Ends Tessaline", 4680);
    Command5 =
        button(":/images/show-verse.bmp", "Show Verse", "Shows the whole verse on a card", 1080);
    Command6 = button(":/images/hint.bmp", "Hint", "Uncovers the next letter", 1920);

    Picture1 = new QLabel(this);
    Picture1->setGeometry(Twips::rect(600, 480, 2625, 2520));
    Picture1->setPixmap(Look::picture(picture1File(), devicePixelRatioF()));
    Picture1->hide();

    connect(Command1, &QAbstractButton::clicked, this, &Form1::Command1_Click);
    connect(Command1, &PictureButton::mouseDown, this, &Form1::Command1_MouseDown);
    connect(Command2, &QAbstractButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QAbstractButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QAbstractButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QAbstractButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QAbstractButton::clicked, this, &Form1::Command6_Click);
    Command1->setFocus();
}

double Form1::Picture1ScaleWidth() const {
    return Twips::fromPx(Picture1->pixmap().deviceIndependentSize().width());
}
double Form1::Picture1ScaleHeight() const {
    return Twips::fromPx(Picture1->pixmap().deviceIndependentSize().height());
}

QPixmap Form1::Picture1Tiles(qreal devicePixelRatio) {
    static QHash<qreal, QPixmap> read;
    const auto found = read.constFind(devicePixelRatio);
    if (found != read.constEnd())
        return *found;
    const QPixmap block = QPixmap::fromImage(Look::tiles(picture1File(), devicePixelRatio));
    read.insert(devicePixelRatio, block);
    return block;
}

void Form1::PrepareVerse() {
    PracticeRules::prepareVerse(shared(), *this);
}

void Form1::Command1_Click() {
    // A blank typed on the focused button also presses it; typing a verse must not leave it,
    // even when a fast typist presses the next letter before letting go of the blank.
    if (Command1->clickedByBlank())
        return;
    if (shared().KeyText != QLatin1String(" "))
        showFavourites();
}

void Form1::Command1_MouseDown() {
    showFavourites();
}

void Form1::Command2_Click() {
    shared().PracticeMode = 1;
    Command1->setFocus();
}

void Form1::Command3_Click() {
    shared().PracticeMode = 0;
    Command1->setFocus();
}

void Form1::Command4_Click() {
    Host::endProgram(0);
}

void Form1::Command5_Click() {
    Forms::show<Form3>();
}

void Form1::Command6_Click() {
    PracticeRules::hint(shared(), *this);
    Command1->setFocus();
}

void Form1::Form_KeyPress(qint16 keyAscii) {
    PracticeRules::keyPress(shared(), *this, keyAscii);
}

void Form1::showTitle(const QString& title) {
    setCaption(title);
}

void Form1::showMasked(const QString& masked) {
    Label1->repaint(Label1->showMasked(masked));
}

bool Form1::askTryAgain() {
    return Host::messageBox(QStringLiteral("Try Again?"), Host::Buttons::YesNo,
                            QStringLiteral("Choice:")) == Host::Answer::Yes;
}

void Form1::showFavourites() {
    Forms::show<Form4>();
}

void Form1::refuse(const QString& message) {
    showMasked(QString());
    Host::messageBox(message, Host::Buttons::Ok, {}, Host::Icon::Warning);
}
