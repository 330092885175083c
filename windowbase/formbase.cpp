#include "windowbase/formbase.h"

#include "windowbase/imagefile.h"
#include "windowbase/twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

namespace {
// The 16-colour icon at 16 and 32 pixels, and larger drawings of it for scaled screens. Adding
// a file decodes it at once, so the larger ones are read only where they can be used: decoding
// them on an unscaled screen made start-up measurably slower. The 16-colour images are read as
// PNGs (the images of tessaline.ico): Qt reads those itself, an ICO only through a plugin.
QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32})
        icon.addPixmap(QPixmap::fromImage(
            ImageFile::read(QStringLiteral(":/icons/tessaline-%1.png").arg(size))));
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen && screen->devicePixelRatio() > 1) {
        for (int size : {48, 64, 128, 256})
            icon.addPixmap(QPixmap::fromImage(ImageFile::read(
                QStringLiteral(":/icons/hicolor/%1x%1/apps/tessaline.png").arg(size))));
    }
    return icon;
}

std::function<void(FormBase&)>& backdrop() {
    static std::function<void(FormBase&)> paint;
    return paint;
}
} // namespace

FormBase::FormBase(QWidget* parent) : QWidget(parent) {
    static const QIcon icon = programIcon();
    setWindowIcon(icon);
    // Closing through the title bar unloads the window; its next use creates it afresh.
    setAttribute(Qt::WA_DeleteOnClose);
}

double FormBase::ScaleWidth() const {
    return Twips::fromPx(width());
}
double FormBase::ScaleHeight() const {
    return Twips::fromPx(height());
}

void FormBase::setCaption(const QString& caption) {
    // "[*]" would be taken for the modified marker: doubled, it shows as itself.
    QString title = caption;
    title.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    setWindowTitle(title.isEmpty() ? QStringLiteral(" ") : title);
}

void FormBase::Form_Paint() {
    if (backdrop())
        backdrop()(*this);
}

void FormBase::setBackdrop(std::function<void(FormBase&)> paint) {
    backdrop() = std::move(paint);
}

void FormBase::setClientSizeTwips(int width, int height) {
    resize(Twips::size(width, height));
}

void FormBase::paintEvent(QPaintEvent*) {
    Form_Paint();
}

void FormBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The focus is marked from the first showing, not only after the first Tab: a keyboard
    // user must see where Enter and Space will land. Showing a window clears the mark's flag,
    // so it is set again here.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void FormBase::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload(event);
    if (event->isAccepted())
        m_unloaded = true;
}
