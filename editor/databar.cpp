#include "editor/databar.h"

#include "editor/datacontrol.h"
#include "windowbase/twips.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyleOptionButton>

namespace {

enum class Glyph { First, Previous, Next, Last };

// A bevelled button with a drawn arrow, so the glyph never depends on the fonts at hand.
class NavButton : public QAbstractButton {
public:
    NavButton(Glyph glyph, const QString& name, QWidget* parent)
        : QAbstractButton(parent), m_glyph(glyph) {
        setFocusPolicy(Qt::NoFocus);
        setAccessibleName(name);
        setToolTip(name);
        setAutoRepeat(glyph == Glyph::Previous || glyph == Glyph::Next);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QStyleOptionButton option;
        option.initFrom(this);
        option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &p, this);

        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(isEnabled() ? palette().color(QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
        const QPointF c = QRectF(rect()).center() + (isDown() ? QPointF(1, 1) : QPointF());
        const qreal h = qMax<qreal>(3.0, height() / 5.0); // half the arrow's height
        const qreal w = h;                                // the arrow's width
        const bool right = m_glyph == Glyph::Next || m_glyph == Glyph::Last;
        const bool bar = m_glyph == Glyph::First || m_glyph == Glyph::Last;
        const qreal dir = right ? 1 : -1;
        const qreal shift = bar ? -dir * 1.5 : 0;
        const QPointF tip(c.x() + dir * w / 2 + shift, c.y());
        const QPointF back(c.x() - dir * w / 2 + shift, c.y());
        p.drawPolygon(QPolygonF{tip, back + QPointF(0, -h), back + QPointF(0, h)});
        if (bar)
            p.drawRect(QRectF(right ? tip.x() : tip.x() - 2, c.y() - h, 2, 2 * h));
    }

private:
    Glyph m_glyph;
};

} // namespace

DataControlBar::DataControlBar(DataControl& control, QWidget* parent)
    : QWidget(parent), m_control(&control) {
    setFont(Twips::sansSerif(false));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const struct {
        Glyph glyph;
        const char* name;
        DataControl::Action action;
    } buttons[] = {
        {Glyph::First, "First record", DataControl::MoveFirstAction},
        {Glyph::Previous, "Previous record", DataControl::MovePreviousAction},
        {Glyph::Next, "Next record", DataControl::MoveNextAction},
        {Glyph::Last, "Last record", DataControl::MoveLastAction},
    };
    m_caption = new QLabel(this);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_caption->setAutoFillBackground(true);
    QPalette pal = m_caption->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    m_caption->setPalette(pal);
    m_caption->setIndent(4);
    m_caption->setText(control.Caption());

    for (int i = 0; i < 4; ++i) {
        auto* b = new NavButton(buttons[i].glyph, QString::fromLatin1(buttons[i].name), this);
        b->setFixedWidth(Twips::px(345));
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        const DataControl::Action action = buttons[i].action;
        connect(b, &QAbstractButton::clicked, this, [this, action] {
            if (m_control)
                m_control->navigate(action);
        });
        m_buttons[i] = b;
        if (i == 2)
            layout->addWidget(m_caption, 1);
        layout->addWidget(b);
    }
    connect(&control, &DataControl::captionChanged, m_caption, &QLabel::setText);
}

QString DataControlBar::captionText() const {
    return m_caption->text();
}
