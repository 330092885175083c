#pragma once

#include <QLineEdit>

// The cell editor for a verse too long to lay out again on every key (a line edit lays out
// all its text on each change). It holds the whole verse but gives the line edit only a
// stretch around the cursor, and moves the stretch when the cursor nears one of its ends.
// With the whole stretch selected the whole verse counts as selected: typing, deleting, cutting
// or copying then work on all of it, as in a short cell.
class LongLineEdit : public QLineEdit {
public:
    static constexpr int Stretch = 2000;
    static constexpr int Margin = 500;

    explicit LongLineEdit(QWidget* parent);

    QString verse() const { return m_verse; }
    // The cursor at the end, as a line edit given a text puts it.
    void setVerse(const QString& verse);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool hidesText() const { return m_start > 0 || m_start + m_length < m_verse.size(); }
    bool wholeVerseSelected() const;
    // An edit replacing the whole verse, told as the line edit tells its own.
    void replaceAll(const QString& verse);
    void followCursor();
    // Shows the stretch around an absolute cursor position; a selection keeps what of it
    // falls into the new stretch.
    void showAround(int cursor, int anchor = -1);

    QString m_verse;
    int m_start = 0;  // where the stretch starts in the verse
    int m_length = 0; // the stretch's length
};
