#include "storage/Password.h"

#include "core/DataFolder.h"
#include "storage/Params.h"

#include <QDir>

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace slip {

namespace {

const QString kPasswordKey = QStringLiteral("软件密码");
const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kIterations = 100000;
constexpr int kKeyLength = 32;

QByteArray Derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, kKeyLength);
}

// Compares without stopping at the first difference, so the time taken does
// not tell how much of a guess was right.
bool SameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (int i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

QString HashPassword(const QString& password)
{
    if (password.isEmpty()) return QString();
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), salt.size() / 4);
    return QStringList{kScheme, QString::number(kIterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(Derive(password, salt, kIterations).toBase64())}
        .join(QLatin1Char('$'));
}

bool IsHashedPassword(const QString& stored)
{
    return stored.startsWith(kScheme + QLatin1Char('$')) && stored.count(QLatin1Char('$')) == 3;
}

bool PasswordMatches(const QString& typed, const QString& stored)
{
    if (stored.isEmpty()) return typed.isEmpty();
    if (!IsHashedPassword(stored)) return typed == stored;
    const QStringList parts = stored.split(QLatin1Char('$'));
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1) return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts[3].toLatin1());
    return SameBytes(Derive(typed, salt, iterations), key);
}

QString UnreadablePasswordText()
{
    return QStringLiteral("数据库文件“") + QDir::toNativeSeparators(DatabasePath())
           + QStringLiteral("”无法读取，登录密码无法核对，程序不能打开！请恢复该文件后再试。");
}

StartupPasswordState ReadStartupPasswordState(QString* error)
{
    QString why;
    const QString stored = GetParam(kPasswordKey, &why);
    if (error) *error = why;
    if (!why.isEmpty()) return StartupPasswordState::Unreadable;
    return stored.isEmpty() ? StartupPasswordState::None : StartupPasswordState::Set;
}

bool CheckStartupPassword(const QString& typed)
{
    QString why;
    const QString stored = GetParam(kPasswordKey, &why);
    // An unreadable password lets no one in, not even with nothing typed.
    if (!why.isEmpty() || !PasswordMatches(typed, stored)) return false;
    // A plain password from an older database is replaced by its hash now.
    if (!stored.isEmpty() && !IsHashedPassword(stored)) SetParam(kPasswordKey, HashPassword(typed));
    return true;
}

PasswordChange ChangeStartupPassword(const QString& oldEntry, const QString& newEntry,
                                     const QString& repeatEntry)
{
    if (newEntry != repeatEntry) return PasswordChange::NewEntriesDiffer;
    QString why;
    const QString stored = GetParam(kPasswordKey, &why);
    if (!why.isEmpty()) return PasswordChange::Unreadable;
    if (!PasswordMatches(oldEntry, stored)) return PasswordChange::WrongOldPassword;
    if (!SetParam(kPasswordKey, HashPassword(newEntry))) return PasswordChange::StoreFailed;
    return newEntry.isEmpty() ? PasswordChange::Removed : PasswordChange::Changed;
}

} // namespace slip
