#pragma once

#include <QWidget>

#include <functional>

// What all four windows share: the program icon, a client size in twips, key preview, the
// painted backdrop and a load handler that runs once when the single instance is created.
class FormBase : public QWidget {
    Q_OBJECT
public:
    explicit FormBase(QWidget* parent = nullptr);

    // Client area in twips, as the window's own drawing routines measure it.
    double ScaleWidth() const;
    double ScaleHeight() const;

    bool keyPreview() const { return m_keyPreview; }

    // False once the window has been closed (unloaded); it is deleted soon after.
    bool isUnloaded() const { return m_unloaded; }

    // The title bar's text, shown exactly as given. An empty caption shows an empty title
    // bar; the platform would otherwise put the program's name there.
    void setCaption(const QString& caption);

    // Runs once, right after the instance is created on first use.
    virtual void Form_Load() {}
    // With key preview on, every typed character reaches this before the focused control.
    virtual void Form_KeyPress(qint16 keyAscii) { Q_UNUSED(keyAscii); }
    // Paints the backdrop; every window covers its client area with the same tiles.
    virtual void Form_Paint();
    // What Form_Paint paints with. The windows' look lives in a layer above this one, so
    // start-up connects it; until then a window paints no backdrop.
    static void setBackdrop(std::function<void(FormBase&)> paint);

protected:
    void setClientSizeTwips(int width, int height);
    void setKeyPreview(bool on) { m_keyPreview = on; }
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Runs when the window is closed; clearing accept on the event keeps it loaded.
    virtual void Form_Unload(QCloseEvent* event) { Q_UNUSED(event); }

private:
    bool m_keyPreview = false;
    bool m_unloaded = false;
};
