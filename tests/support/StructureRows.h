#pragma once

#include "store/FieldStructure.h"

#include <QMetaType>

Q_DECLARE_METATYPE(StructureRow)

// A row of a field-structure list as a user types it.
inline StructureRow row(const QString &name, const QString &type, int size = 0,
                        bool required = false, const QString &defaultText = QString())
{
    StructureRow r;
    r.fieldName = name;
    r.dataType = type;
    r.size = size;
    r.required = required;
    r.defaultText = defaultText;
    return r;
}
