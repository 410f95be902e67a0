#pragma once

#include <QPixmap>
#include <QPoint>

class QLabel;
class QWidget;

// The 350×120 banner of the about box and the login window.
namespace Banner {
QPixmap pixmap();
// The banner as 图片框1 at `topLeft` in `window`, with the program's version (版本标签) written on it.
QLabel* place(QWidget* window, QPoint topLeft);
} // namespace Banner
