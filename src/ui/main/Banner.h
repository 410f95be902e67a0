#pragma once

#include <QPixmap>

// The 350×120 banner of the about box and the login window.
namespace Banner {
QPixmap pixmap();
}
