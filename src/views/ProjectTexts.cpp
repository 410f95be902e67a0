#include "views/ProjectTexts.h"

#include "platform/DurableFile.h"
#include "platform/TextCodec.h"
#include "platform/ValueText.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "views/DetailsReport.h"

using namespace Qt::StringLiterals;

namespace ProjectTexts {

int fieldOf(Mode mode)
{
    switch (mode) {
    case DesignPlan:
        return ProjectField::DesignPlan;
    case BugReport:
        return ProjectField::BugReport;
    case UpgradeHistory:
        return ProjectField::UpgradeHistory;
    case Details:
        break;
    }
    return 0;
}

Text read(int recordNumber, Mode mode)
{
    Text result;
    ProjectTable table;
    if (!table.open())
        return result;
    if (!table.goTo(recordNumber)) {
        result.outcome = Outcome::ProjectMissing;
        return result;
    }
    result.outcome = Outcome::Done;
    result.number = ValueText::of(table.readField(ProjectField::Number));
    if (const int field = fieldOf(mode))
        result.text = ValueText::of(table.readField(field));
    return result;
}

Outcome save(int& recordNumber, const QString& number, Mode mode, const QString& text)
{
    const int field = fieldOf(mode);
    if (!field)
        return Outcome::Done;
    ProjectTable table;
    if (!table.open())
        return Outcome::DatabaseError;
    const bool stillThere =
        table.goTo(recordNumber) && table.readField(ProjectField::Number).toString() == number && !table.isDeleted();
    if (!stillThere) {
        if (!table.findProjectByNumber(number))
            return Outcome::ProjectMissing;
        recordNumber = table.currentRecordNumber();
    }
    return table.writeField(field, text) ? Outcome::Done : Outcome::DatabaseError;
}

QString writeOutContent(const QString& text, const QDateTime& now)
{
    return TextCodec::toCrLf(text) + u"\r\n\r\n\r\n"_s + DetailsReport::rule() + u"\r\n"_s + ValueText::dateTime(now);
}

bool writeOut(const QString& path, const QString& text, const QDateTime& now)
{
    return DurableFile::write(path, TextCodec::encode(writeOutContent(text, now)));
}

} // namespace ProjectTexts
