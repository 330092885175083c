#include "editor/datagrid.h"

#include "editor/datacontrol.h"
#include "editor/datagridview.h"
#include "editor/rowselectorheader.h"
#include "windowbase/twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

DataGrid::DataGrid(QWidget* parent) : QWidget(parent) {
    const QFont font = Twips::sansSerif(false);
    setFont(font);

    m_caption = new QLabel(this);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_caption->setFixedHeight(RowSelectorHeader::RowHeight + 2);
    m_caption->setAutoFillBackground(true);
    m_caption->setFocusPolicy(Qt::NoFocus);

    m_view = new DataGridView(this);
    m_view->setFont(font);
    m_view->horizontalHeader()->setFont(font);
    m_view->horizontalHeader()->setFixedHeight(RowSelectorHeader::RowHeight + 2);

    // White on black cells, dark grey lines between them.
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::AlternateBase, Qt::black);
    pal.setColor(QPalette::Text, Qt::white);
    pal.setColor(QPalette::Highlight, QColor(0, 0, 128));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    m_view->setPalette(pal);
    // The floating editor keeps the cells' colours.
    m_view->setStyleSheet(QStringLiteral("QTableView { gridline-color: #404040; }"
                                         "QTableView QLineEdit { background: black; color: white;"
                                         " border: 1px solid #808080; }"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    layout->addWidget(m_view, 1);
    setFocusProxy(m_view);
}

void DataGrid::setDataSource(DataControl* control) {
    if (m_view->control())
        m_view->control()->disconnect(this);
    m_view->setControl(control);
    if (!control)
        return;
    connect(control, &DataControl::flushRequested, this, [this] { m_view->commitOpenEditor(); });
    connect(control, &DataControl::currentRowChanged, this,
            [this](int, int row) { m_view->follow(row); });
}

QString DataGrid::caption() const {
    return m_caption->text();
}
void DataGrid::setCaption(const QString& caption) {
    m_caption->setText(caption);
}

void DataGrid::setColumnWidthTwips(int index, int twips) {
    m_view->setColumnWidth(index, Twips::px(twips));
}

QTableView* DataGrid::view() const {
    return m_view;
}
