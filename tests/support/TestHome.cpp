#include "TestHome.h"

#include "ScratchFolders.h"

#include "storage/Schema.h"


namespace slip::test {

TestHome::TestHome(bool createSchema)
{
    oldHome_ = qgetenv("SLIPPRINT_HOME");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    UseScratchFolders(dir_.path());
    if (createSchema) EnsureSchema();
}

TestHome::~TestHome()
{
    qputenv("SLIPPRINT_HOME", oldHome_);
    qputenv("XDG_CONFIG_HOME", oldConfig_);
}

} // namespace slip::test
