#include "core/FileNames.h"

namespace slip {

QString MapUnsafeFileNameChars(const QString& name)
{
    const QString& unsafe = UnsafeFileNameChars();
    QString safe = name;
    for (int i = 0; i < unsafe.size(); ++i) safe.replace(unsafe.at(i), QChar(u'0' + i));
    return safe;
}

bool HasUnsafeFileNameChars(const QString& name)
{
    for (QChar c : name)
        if (UnsafeFileNameChars().contains(c)) return true;
    return false;
}

} // namespace slip
