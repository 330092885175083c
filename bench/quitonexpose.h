#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Leaves the event loop right after the first matching top-level widget has been exposed and
// painted: the moment a user first sees it. Installed on the application object before any
// window is shown, so an expose that arrives during show() is seen too.
class QuitOnExpose : public QObject {
public:
    explicit QuitOnExpose(std::function<bool(const QWidget*)> isTarget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(const QWidget*)> m_isTarget;
    bool m_seen = false;
};
