#include "ui/common/PackingMessages.h"

using namespace Qt::StringLiterals;

namespace PackingMessages {

namespace {

constexpr qsizetype kNamesShown = 5;

} // namespace

QString unpackable(const QStringList& names, const QString& then)
{
    QString text = u"以下文件无法打包（链接到项目目录以外、管道或设备），请移走后再"_s + then + u"："_s;
    for (qsizetype i = 0; i < names.size() && i < kNamesShown; ++i)
        text += u"\r\n"_s + names.at(i);
    if (names.size() > kNamesShown)
        text += u"\r\n……"_s;
    return text;
}

} // namespace PackingMessages
