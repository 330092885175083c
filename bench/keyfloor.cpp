// The floor for the delay from key to screen: the least a Qt Widgets program does to show a
// typed key, a label whose text it sets on each key. The same window size, label, font and
// verse as the practice window; each letter key uncovers the next hidden letter. Prints the
// window's X id and the keys that type the verse, then runs until killed.

#include "versemaker.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

#include <cstdio>

namespace {

class Window : public QWidget {
public:
    explicit Window(const QString& verse) : m_verse(verse), m_label(this) {
        resize(597, 367);
        m_label.setGeometry(16, 16, 465, 337);
        QFont font(QStringLiteral("Liberation Serif"));
        font.setPixelSize(19);
        font.setBold(true);
        m_label.setFont(font);
        m_label.setWordWrap(true);
        m_label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_label.setTextFormat(Qt::PlainText);
        for (QChar c : verse)
            m_shown += c.isLetter() ? QLatin1Char('-') : c;
        m_label.setText(m_shown);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        while (m_next < m_verse.size() && !m_verse.at(m_next).isLetter())
            ++m_next;
        if (m_next < m_verse.size() &&
            event->text().compare(m_verse.at(m_next), Qt::CaseInsensitive) == 0) {
            m_shown[m_next] = m_verse.at(m_next);
            ++m_next;
            m_label.setText(m_shown);
        }
    }

private:
    QString m_verse;
    QString m_shown;
    QLabel m_label;
    qsizetype m_next = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    VerseMaker maker(250);
    const QString verse = maker.text(250);
    Window window(verse);
    window.show();
    window.activateWindow();
    QString keys;
    for (QChar c : verse)
        if (c.isLetter())
            keys += c.toLower();
    std::printf("window %llu\nkeys %s\n", static_cast<unsigned long long>(window.winId()),
                qPrintable(keys));
    std::fflush(stdout);
    return app.exec();
}
