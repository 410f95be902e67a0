#include "ui/common/TypeCombo.h"

#include "settings/ProjectTypes.h"

#include <QComboBox>

void fillTypeCombo(QComboBox* combo)
{
    combo->clear();
    const QStringList names = ProjectTypes::typeNames();
    combo->addItems(names);
    combo->setCurrentIndex(names.isEmpty() ? -1 : 0);
}
