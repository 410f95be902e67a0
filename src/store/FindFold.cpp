#include "store/FindFold.h"

namespace FindFold {

QString fold(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded) {
        char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            u -= 0xFEE0; // ！ .. ～ map onto ! .. ~ one to one
        else if (u == 0x3000)
            u = u' ';
        if (u >= u'A' && u <= u'Z')
            u += u'a' - u'A';
        else if (u >= 0x00C0 && u < 0x0250)
            u = QChar(u).toCaseFolded().unicode(); // accented Latin letters
        c = QChar(u);
    }
    return folded;
}

} // namespace FindFold
