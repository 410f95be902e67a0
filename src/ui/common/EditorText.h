#pragma once

#include <QString>

// Texts are stored with CR LF line breaks; a text box holds plain line feeds, and the stored breaks come
// back when the text is written (TextCodec::toCrLf).
inline QString editorText(QString stored)
{
    using namespace Qt::StringLiterals;
    return stored.replace(u"\r\n"_s, u"\n"_s);
}
