#pragma once

#include <QLabel>

// A plain-text label for a verse. Its lines always run left to right from the label's left
// edge (or are centred, as the alignment asks), whatever characters the text holds, and only
// the lines that fit the label's height are laid out, so a text of any length shows at once;
// a word wider than the label is broken across lines rather than cut off.
// Screen readers get the text through the accessible text interface, trailing blanks left out.
class VerseLabel : public QLabel {
    Q_OBJECT
public:
    explicit VerseLabel(QWidget* parent = nullptr);

    // The text without its trailing blanks: what a screen reader is given.
    QString spokenText() const;

    // Shows a masked verse and describes it to screen readers. When it only uncovers hidden
    // positions ("-" or blank) of the text shown so far, screen readers are told what appeared.
    void showMasked(const QString& masked);

    // The label is placed by hand; measuring all of a long text would defeat the point.
    QSize sizeHint() const override { return size(); }
    QSize minimumSizeHint() const override { return {}; }

signals:
    // The letters (or word) that showMasked uncovered.
    void uncovered(const QString& letters);

protected:
    void paintEvent(QPaintEvent* event) override;
};
