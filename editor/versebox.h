#pragma once

#include <QLineEdit>

// A text box for a verse of any length. Until the user goes into it, it holds only the start of
// the verse, more than it can show, so that moving onto a row with a verse of a book's length
// never lays out all of it; going into the box puts in the whole verse.
class VerseBox : public QLineEdit {
public:
    explicit VerseBox(QWidget* parent = nullptr);

    // Shows the verse from its start.
    void setVerse(const QString& verse);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    QString m_verse;
    bool m_partial = false;
};
