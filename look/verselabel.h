#pragma once

#include <QLabel>

class QTextLayout;

// A plain-text label for a verse. Lines break only at blanks (and line feeds), never after
// a hyphen, slash or dash inside a word; a word wider than the label is broken where it must
// be rather than cut off. The practice label's lines run left to right from its left edge
// whatever characters the text holds (hidden letters read left to right); a label that
// follows the text's direction (the card, the favourites' captions) takes the paragraph's
// direction from its text. Only the lines that fit the label's height are laid out, so a text
// of any length shows at once. Blanks at the text's end take no room.
// Screen readers get the text through the accessible text interface, trailing blanks left out.
class VerseLabel : public QLabel {
    Q_OBJECT
public:
    explicit VerseLabel(QWidget* parent = nullptr);

    // The text without its trailing blanks: what a screen reader is given.
    QString spokenText() const;

    // Shows a masked verse and describes it to screen readers. When it only uncovers hidden
    // positions ("-" or blank) of the text shown so far, screen readers are told what appeared.
    // Returns the part of the label that must be drawn again (marked for drawing): when it only
    // uncovers, the lines from the one before the first change down; else all of it.
    QRect showMasked(const QString& masked);

    // Off (left to right) unless set.
    void setFollowsTextDirection(bool on);

    // The lines as laid out at the given width (the label's own by default), as far down as
    // `height` reaches; each line's text and its rectangle.
    struct Line {
        QString text;
        QRectF rect;
    };
    QList<Line> lines(int width = -1, int height = -1) const;
    // The height of the lines that fit whole into `height` at `width`: what a caption shows.
    int wholeLinesHeight(int width, int height) const;

    // The label is placed by hand; measuring all of a long text would defeat the point.
    QSize sizeHint() const override { return size(); }
    QSize minimumSizeHint() const override { return {}; }
    int heightForWidth(int width) const override;

signals:
    // The letters (or word) that showMasked uncovered.
    void uncovered(const QString& letters);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out at width until a line starts at or below height.
    void layOut(QTextLayout& layout, qreal width, qreal height) const;

    bool m_followsText = false;
    // The text last painted and where each of its lines started in it and on the label.
    QString m_paintedText;
    QList<QPair<qsizetype, int>> m_paintedLines;
};
