#include "settings/ui/ColourButton.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionButton>

ColourButton::ColourButton(QWidget* parent)
    : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &ColourButton::choose);
}

void ColourButton::setColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

void ColourButton::choose()
{
    const QColor chosen = QColorDialog::getColor(m_colour, this);
    if (chosen.isValid())
        setColour(chosen);
}

void ColourButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(m_colour);
    painter.drawRect(rect().adjusted(4, 4, -5, -5));
}
