#pragma once
#include <QString>

namespace slip {

// The start-up password lives in the parameter "软件密码" as a salted
// PBKDF2 hash, never as the typed text. A parameter still holding a plain
// password (as older databases do) is accepted once and replaced by its hash.

// Whether a start-up password is set. A password that can't be read is
// never "none": start-up then refuses to open anything.
enum class StartupPasswordState { None, Set, Unreadable };
// error (when given) receives why the password could not be read.
StartupPasswordState ReadStartupPasswordState(QString* error = nullptr);
// What the operator is told then: the database (with its path) can't be read.
QString UnreadablePasswordText();
// The start-up password, exactly and with case.
bool CheckStartupPassword(const QString& typed);

enum class PasswordChange { Changed, Removed, NewEntriesDiffer, WrongOldPassword, StoreFailed, Unreadable };
// Changes (or with empty new entries removes) the start-up password.
PasswordChange ChangeStartupPassword(const QString& oldEntry, const QString& newEntry,
                                     const QString& repeatEntry);

// The stored form of a password, and whether a typed text matches it.
QString HashPassword(const QString& password);
bool PasswordMatches(const QString& typed, const QString& stored);
bool IsHashedPassword(const QString& stored);

} // namespace slip
