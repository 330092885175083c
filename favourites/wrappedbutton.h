#pragma once

#include <QPushButton>

class QLabel;

// A push button whose caption is plain text, wrapped at word boundaries inside the button and
// centred; lines that do not fit are left out whole rather than cut in half. Unlike a
// QPushButton caption, "&" is shown as it is and never makes a shortcut.
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

    QLabel* m_label;
};
