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

signals:
    void mouseDown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPixmap m_face;
};
