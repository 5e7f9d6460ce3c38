#pragma once
#include <QString>

namespace slip {

// The folder that holds the database, the format pictures and Temp:
// $SLIPPRINT_HOME when set, else the user's application data folder.
// Created when missing. Read anew on every call so tests can move it.
QString DataFolder();

// Full path of a file inside the data folder.
QString DataFile(const QString& name);

// Path of the database file.
QString DatabasePath();

} // namespace slip
