#include "TestHome.h"

#include "storage/Schema.h"

#include <QDir>

namespace slip::test {

TestHome::TestHome(bool createSchema)
{
    oldHome_ = qgetenv("SLIPPRINT_HOME");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    QDir(dir_.path()).mkpath(QStringLiteral("data"));
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    qputenv("SLIPPRINT_HOME", (dir_.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
    if (createSchema) EnsureSchema();
}

TestHome::~TestHome()
{
    qputenv("SLIPPRINT_HOME", oldHome_);
    qputenv("XDG_CONFIG_HOME", oldConfig_);
}

} // namespace slip::test
