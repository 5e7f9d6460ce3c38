#pragma once
#include <QString>

namespace slip {

// The operator's own settings, kept per user under the root "Tessel_Orn" in
// the user's config folder ($XDG_CONFIG_HOME/Tessel_Orn/settings.conf).
// Stores value under root\section\name; true when stored. Otherwise the
// settings file stays as it was and why, when given, has the system's reason
// ("No space left on device"), or "" when none is known.
bool SaveRegValue(const QString& root, const QString& section, const QString& name,
                  const QString& value, QString* why = nullptr);


// The stored value, or defaultValue when it is missing or "" (a missing key is
// created empty, so an operator can't store an empty setting).
QString GetRegValue(const QString& root, const QString& section, const QString& name,
                    const QString& defaultValue);

// The root every setting of the program lives under.
inline QString RegRoot() { return QStringLiteral("Tessel_Orn"); }

} // namespace slip
