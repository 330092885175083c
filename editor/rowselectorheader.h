#pragma once

#include <QHeaderView>

// The record selector: draws its marks as shapes, so they never depend on the fonts at hand.
class RowSelectorHeader : public QHeaderView {
public:
    // The height of a row, and of the strips above the rows.
    static constexpr int RowHeight = 16;

    explicit RowSelectorHeader(QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* p, const QRect& rect, int section) const override;
};
