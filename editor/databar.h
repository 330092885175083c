#pragma once

#include <QPointer>
#include <QWidget>

class DataControl;
class QAbstractButton;
class QLabel;

// A data control's face: |< < [caption] > >| buttons around the caption. The buttons move
// the control's current row and never take the keyboard focus.
class DataControlBar : public QWidget {
    Q_OBJECT
public:
    explicit DataControlBar(DataControl& control, QWidget* parent = nullptr);

    QAbstractButton* nextButton() const { return m_buttons[2]; }
    QAbstractButton* lastButton() const { return m_buttons[3]; }
    QString captionText() const;

private:
    QPointer<DataControl> m_control;
    QAbstractButton* m_buttons[4] = {};
    QLabel* m_caption = nullptr;
};
