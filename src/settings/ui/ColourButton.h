#pragma once

#include <QColor>
#include <QPushButton>

// A colour picker: a small button filled with its colour that opens the colour dialog when pressed.
class ColourButton : public QPushButton
{
    Q_OBJECT

public:
    explicit ColourButton(QWidget* parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void choose();

    QColor m_colour = Qt::black;
};
