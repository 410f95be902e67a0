#pragma once

#include <QString>

// The one rule by which find compares texts: full-width forms become their half-width ones (Chinese input methods
// type "ＡＢ１" as often as "AB1"), then Latin letters go to lower case. Folded text keeps its length, so a match in
// the folded text is a match of the same length in the original.
namespace FindFold {

QString fold(const QString& text);

} // namespace FindFold
