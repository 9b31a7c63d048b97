// The registry's rules over a table in memory.
#include "mpeg/settings_store.h"

#include <string.h>
#include <strings.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct NoCase {
    bool operator()(const std::string &a, const std::string &b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

struct StoredValue {
    DWORD type;
    std::vector<BYTE> bytes;
};

std::mutex g_lock;
std::map<std::string, StoredValue, NoCase> &Table()
{
    static std::map<std::string, StoredValue, NoCase> t;
    return t;
}

} // namespace

bool QueryDecoderDword(const char *name, DWORD *value)
{
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = Table().find(name);
    if (it == Table().end() || it->second.type != kSettingTypeDword || it->second.bytes.size() != sizeof(DWORD))
        return false;
    memcpy(value, it->second.bytes.data(), sizeof(DWORD));
    return true;
}

bool StoreDecoderValue(const char *name, DWORD type, const void *data, DWORD size)
{
    std::lock_guard<std::mutex> hold(g_lock);
    const BYTE *p = (const BYTE *)data;
    Table()[name] = StoredValue{type, std::vector<BYTE>(p, p + size)};
    return true;
}

bool StoreDecoderDword(const char *name, DWORD value)
{
    return StoreDecoderValue(name, kSettingTypeDword, &value, sizeof value);
}

bool DeleteDecoderValue(const char *name)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Table().erase(name);
    return true;
}
