#include "look/verselabel.h"

#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QtMath>

#include <limits>

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

// Stops a line from breaking where it stands.
constexpr char16_t WordJoiner = 0x2060;

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

// The text as it is laid out: a line feed breaks the line (as in a plain label), a carriage
// return is a blank, and every place where a line could break other than after a blank or a
// line feed (after a hyphen, a slash, a dash, between two ideographs) is joined, so a hidden
// or shown word is never split across lines when it fits on one.
QString breakOnlyAtBlanks(QString text) {
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    QList<qsizetype> joins;
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < text.size();
         at = finder.toNextBoundary()) {
        const QChar before = text.at(at - 1);
        if (!isBlank(before) && before != QChar::LineSeparator &&
            !(finder.boundaryReasons() & QTextBoundaryFinder::MandatoryBreak))
            joins.append(at);
    }
    if (joins.isEmpty())
        return text;
    QString joined;
    joined.reserve(text.size() + joins.size());
    qsizetype from = 0;
    for (qsizetype at : joins) {
        joined.append(QStringView(text).mid(from, at - from));
        joined.append(QChar(WordJoiner));
        from = at;
    }
    joined.append(QStringView(text).mid(from));
    return joined;
}

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

QRect VerseLabel::showMasked(const QString& masked) {
    const QString before = text();
    // QLabel would mark all of itself for drawing; only the changed lines are.
    const bool updates = !testAttribute(Qt::WA_UpdatesDisabled);
    setAttribute(Qt::WA_UpdatesDisabled, true);
    setText(masked);
    setAttribute(Qt::WA_UpdatesDisabled, !updates);
    setAccessibleDescription(spokenText());
    QRect changed = rect();
    const auto done = qScopeGuard([&] { update(changed); });
    // A new or restarted verse is not news; only letters uncovered in the same run are.
    if (before.size() != masked.size())
        return changed;
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < masked.size(); ++i) {
        if (before.at(i) == masked.at(i))
            continue;
        if (before.at(i) != QLatin1Char('-') && before.at(i) != QLatin1Char(' '))
            return changed;
        if (first < 0)
            first = i;
        last = i;
    }
    if (first < 0)
        return changed = {};
    // A wider or narrower word can move to the line above or push words down: the line
    // before the change and everything below it are drawn again.
    if (before == m_paintedText && !m_paintedLines.isEmpty()) {
        qsizetype line = 0;
        while (line + 1 < m_paintedLines.size() && m_paintedLines[line + 1].first <= first)
            ++line;
        const int top = line > 0 ? m_paintedLines[line - 1].second : 0;
        changed = QRect(0, top, width(), height() - top);
    }
    const qsizetype length = last - first + 1;
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(this, int(first), before.mid(first, length),
                                         masked.mid(first, length));
        QAccessible::updateAccessibility(&event);
    }
    emit uncovered(masked.mid(first, length));
    return changed;
}

void VerseLabel::setFollowsTextDirection(bool on) {
    m_followsText = on;
    update();
}

void VerseLabel::layOut(QTextLayout& layout, qreal width, qreal height) const {
    QTextOption option(alignment() & Qt::AlignHCenter ? Qt::AlignHCenter : Qt::AlignLeft);
    // Hidden letters read left to right; a right-to-left word inside still reads right to left.
    option.setTextDirection(m_followsText ? Qt::LayoutDirectionAuto : Qt::LeftToRight);
    // A word wider than the label is broken where it must be, so it can be read whole.
    option.setWrapMode(wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                  : QTextOption::NoWrap);
    const qreal leading = QFontMetricsF(font()).leading();

    const QString& all = text();
    // Blanks at the end show nothing and must not push a centred last line aside.
    qsizetype end = all.size();
    while (end > 0 && all.at(end - 1) == QLatin1Char(' '))
        --end;
    // Keeps the shaping of the layout pass for drawing; without it every paint shapes twice.
    layout.setCacheEnabled(true);
    for (qsizetype take = FirstSlice;; take *= 2) {
        if (take >= end)
            take = end;
        else if (all.at(take - 1).isHighSurrogate())
            ++take;
        layout.setText(breakOnlyAtBlanks(all.left(take)));
        layout.setFont(font());
        layout.setTextOption(option);
        layout.beginLayout();
        qreal y = 0;
        bool full = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height() + leading;
            // A line that starts below the label is never seen: the ones above it are final.
            if (line.y() >= height) {
                full = true;
                break;
            }
        }
        layout.endLayout();
        if (full || take == end)
            break;
    }
}

QList<VerseLabel::Line> VerseLabel::lines(int width, int height) const {
    QTextLayout layout;
    layOut(layout, width < 0 ? contentsRect().width() : width,
           height < 0 ? contentsRect().height() : height);
    QList<Line> out;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        QString words = layout.text().mid(line.textStart(), line.textLength());
        words.remove(QChar(WordJoiner));
        out.append({words, line.rect()});
    }
    return out;
}

int VerseLabel::wholeLinesHeight(int width, int height) const {
    int bottom = 0;
    for (const Line& line : lines(width, height)) {
        const int lineBottom = qCeil(line.rect.bottom());
        if (lineBottom > height)
            break;
        bottom = lineBottom;
    }
    return bottom;
}

int VerseLabel::heightForWidth(int width) const {
    const QList<Line> all = lines(width, std::numeric_limits<int>::max());
    return all.isEmpty() ? 0 : qCeil(all.last().rect.bottom());
}

void VerseLabel::paintEvent(QPaintEvent* event) {
    // Blanks draw nothing; returning before the font is asked for keeps the first paint of the
    // practice window, before any verse, from loading it.
    if (text().trimmed().isEmpty()) {
        m_paintedText.clear();
        m_paintedLines.clear();
        return;
    }
    const QRect area = contentsRect();
    QTextLayout layout;
    layOut(layout, area.width(), area.height());
    // Where each line starts in the text (the joiners left out) and on the label, for the
    // next uncovering to draw only what it changes.
    m_paintedText = text();
    m_paintedLines.clear();
    const QString shown = layout.text();
    qsizetype joiners = 0, at = 0;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        for (; at < line.textStart(); ++at)
            joiners += shown.at(at) == QChar(WordJoiner) ? 1 : 0;
        m_paintedLines.append({line.textStart() - joiners, area.top() + qFloor(line.y())});
    }
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.setClipRect(area);
    // Lines outside the part being drawn are left alone.
    layout.draw(&painter, area.topLeft(), {}, QRectF(event->rect()));
}
