#include "look/verselabel.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QTextLayout>

namespace {

class VerseLabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit VerseLabelAccessible(VerseLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }

    using QAccessibleWidget::text;
    QString text(int start, int end) const override { return spoken().mid(start, end - start); }
    int characterCount() const override { return int(spoken().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

private:
    QString spoken() const { return static_cast<VerseLabel*>(widget())->spokenText(); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("VerseLabel") && object && object->isWidgetType())
        return new VerseLabelAccessible(static_cast<VerseLabel*>(object));
    return nullptr;
}

// Characters laid out at first; doubled until the label is full or the text runs out.
constexpr qsizetype FirstSlice = 2048;

} // namespace

VerseLabel::VerseLabel(QWidget* parent) : QLabel(parent) {
    static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(installed);
    setTextFormat(Qt::PlainText);
}

QString VerseLabel::spokenText() const {
    const QString& all = text();
    qsizetype end = all.size();
    while (end > 0 && all.at(end - 1) == QLatin1Char(' '))
        --end;
    return all.left(end);
}

void VerseLabel::showMasked(const QString& masked) {
    const QString before = text();
    setText(masked);
    setAccessibleDescription(spokenText());
    // A new or restarted verse is not news; only letters uncovered in the same run are.
    if (before.size() != masked.size())
        return;
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < masked.size(); ++i) {
        if (before.at(i) == masked.at(i))
            continue;
        if (before.at(i) != QLatin1Char('-') && before.at(i) != QLatin1Char(' '))
            return;
        if (first < 0)
            first = i;
        last = i;
    }
    if (first < 0)
        return;
    const qsizetype length = last - first + 1;
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(this, int(first), before.mid(first, length),
                                         masked.mid(first, length));
        QAccessible::updateAccessibility(&event);
    }
    emit uncovered(masked.mid(first, length));
}

void VerseLabel::paintEvent(QPaintEvent*) {
    // Blanks draw nothing; returning before the font is asked for keeps the first paint of the
    // practice window, before any verse, from loading it.
    if (text().trimmed().isEmpty())
        return;
    const QRect area = contentsRect();
    QTextOption option(alignment() & Qt::AlignHCenter ? Qt::AlignHCenter : Qt::AlignLeft);
    // Never right to left as a whole: a right-to-left word inside still reads right to left.
    option.setTextDirection(Qt::LeftToRight);
    // A word wider than the label is broken where it must be, so it can be read whole.
    option.setWrapMode(wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                  : QTextOption::NoWrap);
    const qreal leading = QFontMetricsF(font()).leading();

    const QString& all = text();
    QTextLayout layout;
    // Keeps the shaping of the layout pass for drawing; without it every paint shapes twice.
    layout.setCacheEnabled(true);
    for (qsizetype take = FirstSlice;; take *= 2) {
        if (take >= all.size())
            take = all.size();
        else if (all.at(take - 1).isHighSurrogate())
            ++take;
        QString slice = all.left(take);
        // As a plain label shows them: a line feed breaks the line, a carriage return is a blank.
        slice.replace(QLatin1Char('\n'), QChar::LineSeparator);
        slice.replace(QLatin1Char('\r'), QLatin1Char(' '));
        layout.setText(slice);
        layout.setFont(font());
        layout.setTextOption(option);
        layout.beginLayout();
        qreal y = 0;
        bool full = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(area.width());
            line.setPosition(QPointF(0, y));
            y += line.height() + leading;
            // A line that starts below the label is never seen: the ones above it are final.
            if (line.y() >= area.height()) {
                full = true;
                break;
            }
        }
        layout.endLayout();
        if (full || take == all.size())
            break;
    }
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.setClipRect(area);
    layout.draw(&painter, area.topLeft());
}
