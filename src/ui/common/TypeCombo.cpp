#include "ui/common/TypeCombo.h"

#include "platform/ValueText.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QComboBox>

void fillTypeCombo(QComboBox* combo)
{
    combo->clear();
    TypeTable types;
    types.open();
    QStringList names;
    for (types.goFirst(); !types.pastLast(); types.skip())
        names << ValueText::of(types.readField(int(TypeField::Name)));
    types.close();
    combo->addItems(names);
    combo->setCurrentIndex(names.isEmpty() ? -1 : 0);
}
