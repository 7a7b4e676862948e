#include "app/settings.h"

#include "common/config/inifile.h"
#include "common/config/variables.h"
#include "common/data/errors.h"
#include "common/data/startup_lock.h"
#include "common/util/cp1252.h"
#include "platform/fileops.h"
#include "platform/profile.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dn::app {

namespace {

// The file's form of each variable of the group as this run last read it from the
// file or wrote it there.
std::map<std::string, std::optional<std::string>>& knownForms() {
    static std::map<std::string, std::optional<std::string>> forms;
    return forms;
}

std::vector<std::string> groupNames() {
    const std::string prefix(kConfigMask, std::string(kConfigMask).size() - 1);
    std::vector<std::string> out;
    for (const std::string& name : config::variables().names())
        if (name.starts_with(prefix))
            out.push_back(name);
    return out;
}

bool changedHere(const std::string& name) {
    const auto it = knownForms().find(upper1252(name));
    return it == knownForms().end() ||
           it->second != config::iniValue(config::variables().get(name));
}

void rememberGroup() {
    for (const std::string& name : groupNames())
        knownForms()[name] = config::iniValue(config::variables().get(name));
}

// The start-up lock for as long as it lives, unless this instance holds it already.
class ConfigLock {
public:
    ConfigLock() : taken_(!data::startupLockHeld()) {
        if (taken_)
            data::SLOCK();
    }
    ~ConfigLock() {
        if (taken_)
            data::SUNLOCK();
    }
    ConfigLock(const ConfigLock&) = delete;
    ConfigLock& operator=(const ConfigLock&) = delete;

private:
    bool taken_;
};

} // namespace

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
    knownForms().clear();
    if (platform::GETFILEATTRIBUTES(kConfigFile) < 0)
        return saveConfig();
    return data::protect([] {
        // Every name of the file is a variable of the run, so that names this
        // program does not know are written back by the next save.
        config::RESTOREINI(kConfigFile, true);
        rememberGroup();
    });
}

bool saveConfig() {
    return data::protect([] {
        ConfigLock lock;
        std::map<std::string, Value> onDisk;
        for (auto& [name, value] : config::readIni(kConfigFile))
            onDisk.emplace(upper1252(name), std::move(value)); // the first line counts
        std::vector<std::string> toWrite;
        for (const std::string& name : groupNames()) {
            const auto disk = onDisk.find(name);
            if (changedHere(name) || disk == onDisk.end())
                toWrite.push_back(name);
            else
                config::variables().set(name, disk->second); // saved elsewhere since
        }
        config::SAVEINI(toWrite, kConfigFile);
        rememberGroup();
    });
}

Value configValueNow(const std::string& name) {
    config::Variables& vars = config::variables();
    if (changedHere(name))
        return vars.get(name);
    const auto value = config::parseIniValue(
        platform::GETPVPROFSTRING(config::kSection, name, "", platform::FULLNAME(kConfigFile)));
    if (!value)
        return vars.get(name);
    vars.set(name, *value);
    knownForms()[upper1252(name)] = config::iniValue(*value);
    return *value;
}

} // namespace dn::app
