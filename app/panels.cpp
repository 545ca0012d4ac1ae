#include "app/panels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

Panel::Panel(Bevel bevel, const QColor& colour, QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | (bevel == Bevel::Raised ? QFrame::Raised : QFrame::Sunken));
    setLineWidth(1);
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    setAutoFillBackground(true);
}

void Panel::setCaption(const QString& caption, const QFont& font, const QColor& colour)
{
    caption_ = caption;
    captionFont_ = font;
    captionColour_ = colour;
    update();
}

void Panel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (caption_.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(captionColour_);
    painter.setFont(captionFont_);
    painter.drawText(contentsRect(), Qt::AlignCenter, caption_);
}

StatusBar::StatusBar(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(Height);
    pane1_ = new QLabel(this);
    pane2_ = new QLabel(this);
    for (QLabel* pane : {pane1_, pane2_}) {
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        pane->setIndent(2);
    }
    pane2_->setFixedWidth(RightPaneWidth);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pane1_, 1);
    layout->addWidget(pane2_);
}

void ToolbarFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 1, width() - 1, 1);
}
