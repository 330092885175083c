#include "app/twips.h"
#include "look/verselabel.h"
#include "tests/support/testmain.h"

#include <QTest>

namespace {

// A label as the practice window (left) and the card (centred) have it.
struct Label {
    explicit Label(bool centred, int width = 457, int height = 209) {
        label.resize(width, height);
        label.setFont(Twips::font(QStringLiteral("Times New Roman"), 14.25, true));
        label.setWordWrap(true);
        label.setAlignment(centred ? Qt::AlignHCenter | Qt::AlignTop
                                   : Qt::AlignLeft | Qt::AlignTop);
        label.setFollowsTextDirection(centred);
    }
    VerseLabel label;
};

// Where each line after the first starts, as a position in the text.
QList<qsizetype> lineStarts(const QList<VerseLabel::Line>& lines) {
    QList<qsizetype> starts;
    qsizetype at = 0;
    for (const VerseLabel::Line& line : lines) {
        if (at > 0)
            starts.append(at);
        at += line.text.size();
    }
    return starts;
}

} // namespace

// How the verse label breaks its lines: at blanks only, as a word ends only at a blank.
class TestVerseLabel : public QObject {
    Q_OBJECT

private slots:
    void linesBreakOnlyAtBlanks_data() {
        QTest::addColumn<bool>("centred");
        QTest::addColumn<QString>("text");
        const QString words =
            QStringLiteral("gladness\u2014sorrow light/dark ever-lasting day\u2013night ");
        QTest::newRow("practice, shown") << false << words.repeated(4);
        QTest::newRow("practice, masked")
            << false
            << QStringLiteral("--------\u2014------ -----/---- ----------- ---\u2013----- ")
                   .repeated(4);
        QTest::newRow("card") << true << words.repeated(4);
        QTest::newRow("card, two scripts")
            << true
            << QStringLiteral("\u05D0\u05D1-\u05D2\u05D3 x/y \u4E00\u4E8C\u4E09 ").repeated(9);
    }
    void linesBreakOnlyAtBlanks() {
        QFETCH(bool, centred);
        QFETCH(QString, text);
        // Every width from a little wider than the widest word to the label's own.
        for (int width = 150; width <= 457; width += 11) {
            Label l(centred, width, 2000);
            l.label.setText(text);
            const QList<VerseLabel::Line> lines = l.label.lines();
            QVERIFY(lines.size() > 1);
            QString joined;
            for (const VerseLabel::Line& line : lines)
                joined += line.text;
            QCOMPARE(joined, text.trimmed());
            for (qsizetype start : lineStarts(lines))
                QVERIFY2(text.at(start - 1) == QLatin1Char(' '),
                         qPrintable(QStringLiteral("width %1: a line starts at \"%2\"")
                                        .arg(width)
                                        .arg(text.mid(start, 12))));
        }
    }

    // A word wider than the label is broken where it must be, from its start.
    void aWordWiderThanTheLabelBreaks() {
        Label l(true, 120, 2000);
        const QString word = QStringLiteral("ever-lasting\u2014gladness/sorrow").repeated(3);
        l.label.setText(word);
        const QList<VerseLabel::Line> lines = l.label.lines();
        QVERIFY(lines.size() > 2);
        QVERIFY(word.startsWith(lines.first().text));
        for (const VerseLabel::Line& line : lines)
            QVERIFY(line.rect.width() <= 120);
    }

    // Blanks at the end take no room: a centred last line stays where it was.
    void trailingBlanksDoNotMoveACentredLine_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("one line") << QStringLiteral("Go on.");
        QTest::newRow("last of three")
            << QStringLiteral("Be still, and know that I am God: I will be exalted among the "
                              "heathen, I will be exalted in the earth.");
    }
    void trailingBlanksDoNotMoveACentredLine() {
        QFETCH(QString, text);
        Label l(true);
        l.label.setText(text);
        const QImage plain = l.label.grab().toImage();
        l.label.setText(text + QLatin1Char(' '));
        QCOMPARE(l.label.grab().toImage(), plain);
        l.label.setText(text + QStringLiteral("   "));
        QCOMPARE(l.label.grab().toImage(), plain);
    }
};

TESSALINE_TEST_MAIN(TestVerseLabel)
#include "tst_verselabel.moc"
