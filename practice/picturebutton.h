#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A button whose face is a bitmap carrying its words; the same picture in every state.
// mouseDown is a mouse press only: Space on a focused button clicks it but never sends it.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const QString& picturePath, const QString& words, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // True during a click raised by releasing a blank that also began the press, however
    // other keys overlapped it meanwhile.
    bool clickedByBlank() const { return m_clickByBlank; }

signals:
    void mouseDown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QPixmap m_face;
    bool m_downByBlank = false;
    bool m_clickByBlank = false;
};
