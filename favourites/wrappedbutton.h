#pragma once

#include <QPushButton>

class VerseLabel;

// A push button whose caption is plain text, wrapped at blanks inside the button and centred
// (a word wider than the button is broken, so it shows from its start); lines that do not
// fit are left out whole rather than cut in half, measured in the fonts that draw them.
// Unlike a QPushButton caption, "&" is shown as it is and never makes a shortcut.
class WrappedButton : public QPushButton {
    Q_OBJECT
public:
    explicit WrappedButton(QWidget* parent = nullptr);

    void setCaption(const QString& caption);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void placeLabel();

    VerseLabel* m_label;
};
