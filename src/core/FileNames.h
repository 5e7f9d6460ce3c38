#pragma once
#include <QString>

namespace slip {

// The characters a file name can't hold on every system the program's files
// travel to: * ? < > / \ : | " in this order.
inline const QString& UnsafeFileNameChars()
{
    static const QString chars = QStringLiteral("*?<>/\\:|\"");
    return chars;
}

// The name with each of those characters turned into the digit of its place
// (0 to 8): how format pictures have always been named.
QString MapUnsafeFileNameChars(const QString& name);
bool HasUnsafeFileNameChars(const QString& name);

} // namespace slip
