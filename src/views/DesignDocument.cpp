#include "views/DesignDocument.h"

#include "platform/DurableFile.h"
#include "platform/TextCodec.h"
#include "platform/ValueText.h"

using namespace Qt::StringLiterals;

namespace DesignDocument {

QStringList pageCaptions()
{
    return {u"基本信息"_s, u"目的与对象"_s, u"整体架构"_s, u"步骤"_s, u"时间规划"_s, u"规则定义"_s};
}

QByteArray bytes(const QStringList& texts, const QDate& created)
{
    const QString rule(45, u'-');
    const QString separator = u"\r\n"_s + rule + u"\r\n\r\n"_s;
    const QStringList captions = pageCaptions();
    QString document;
    // Every page is written, the rules of the last one too: what the user typed is never left out.
    for (int page = 0; page < captions.size(); ++page) {
        if (page > 0)
            document += u"\r\n\r\n"_s;
        document += captions.at(page) + separator + TextCodec::toCrLf(texts.value(page));
    }
    document += u"\r\n\r\n\r\n"_s + rule + u"\r\n创建时间："_s + ValueText::date(created);
    return TextCodec::encode(document);
}

bool write(const QString& path, const QStringList& texts, const QDate& created)
{
    return DurableFile::write(path, bytes(texts, created));
}

} // namespace DesignDocument
