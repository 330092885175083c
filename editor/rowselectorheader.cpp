#include "editor/rowselectorheader.h"

#include "editor/datacontrol.h"

#include <QPainter>

namespace {
constexpr int SelectorWidth = 14;
} // namespace

RowSelectorHeader::RowSelectorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(1);
    setDefaultSectionSize(RowHeight);
    setSectionsClickable(true);
    setHighlightSections(false);
}

QSize RowSelectorHeader::sizeHint() const {
    return QSize(SelectorWidth, QHeaderView::sizeHint().height());
}

void RowSelectorHeader::paintSection(QPainter* p, const QRect& rect, int section) const {
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = section;
    option.text.clear();
    style()->drawControl(QStyle::CE_HeaderSection, &option, p, this);

    const QString mark =
        model() ? model()->headerData(section, Qt::Vertical).toString() : QString();
    if (mark.isEmpty())
        return;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect).center();
    const QColor ink = palette().color(QPalette::ButtonText);
    if (mark == RowMark::Current) {
        p->setPen(Qt::NoPen);
        p->setBrush(ink);
        p->drawPolygon(QPolygonF{c + QPointF(3, 0), c + QPointF(-2, -4), c + QPointF(-2, 4)});
    } else if (mark == RowMark::NewRow) {
        p->setPen(QPen(ink, 1.3));
        for (int k = 0; k < 3; ++k) {
            const QLineF arm = QLineF::fromPolar(3.5, 90 + 60 * k);
            p->drawLine(c - arm.p2(), c + arm.p2());
        }
    } else {
        // A pencil lying from lower left to upper right, point down.
        p->translate(c);
        p->rotate(-45);
        p->setPen(QPen(ink, 1));
        p->setBrush(palette().color(QPalette::Button));
        p->drawRect(QRectF(-2, -2, 6, 4));
        p->setBrush(ink);
        p->drawPolygon(QPolygonF{QPointF(-2, -2), QPointF(-2, 2), QPointF(-5, 0)});
    }
    p->restore();
}
