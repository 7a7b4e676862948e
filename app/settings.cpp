#include "app/settings.h"

#include "common/config/inifile.h"
#include "common/config/variables.h"
#include "common/data/errors.h"
#include "platform/fileops.h"
#include "platform/profile.h"

#include <string>

namespace dn::app {

void createConfigVariables() {
    config::Variables& vars = config::variables();
    for (int slot = 1; slot <= 10; ++slot) {
        const std::string n = (slot < 10 ? "0" : "") + std::to_string(slot);
        vars.set("CFG_NM" + n, "");
        vars.set("CFG_PW" + n, "");
    }
    vars.set("CFG_SUP", 0);
    vars.set("CFG_SOT", false);
    vars.set("CFG_SIN", 0);
    vars.set("CFG_DES", false);
}

bool loadOrWriteConfig() {
    if (platform::GETFILEATTRIBUTES(kConfigFile) < 0)
        return saveConfig();
    return data::protect([] {
        const std::string path = platform::FULLNAME(kConfigFile);
        for (const std::string& name : platform::GETPVPROFSECTION(config::kSection, path))
            config::variables().declare(name);
        config::RESTOREINI(kConfigFile);
    });
}

bool saveConfig() {
    return data::protect([] { config::SAVEINI(kConfigMask, kConfigFile); });
}

} // namespace dn::app
