#include "tests/support/w3d_registry.h"

#include <utility>
#include <vector>

struct W3DRegistry::Node {
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    std::vector<std::pair<std::string, std::unique_ptr<Node>>> children;
};

std::unique_ptr<W3DRegistry::Node> W3DRegistry::Snapshot(HKEY parent, const std::string &name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return nullptr;
    auto node = std::make_unique<Node>();
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values, &longestName,
                     &longestData, nullptr, nullptr);
    for (DWORD i = 0; i < values; i++) {
        std::vector<char> valueName(longestName * 2 + 2);
        Node::Value v;
        v.data.resize(longestData + 2);
        DWORD nameBytes = (DWORD)valueName.size(), dataBytes = (DWORD)v.data.size();
        if (RegEnumValueA(key, i, valueName.data(), &nameBytes, nullptr, &v.type, v.data.data(), &dataBytes) !=
            ERROR_SUCCESS)
            continue;
        v.name.assign(valueName.data(), nameBytes);
        v.data.resize(dataBytes);
        node->values.push_back(std::move(v));
    }
    for (DWORD i = 0; i < subkeys; i++) {
        std::vector<char> child(longestSubkey * 2 + 2);
        DWORD bytes = (DWORD)child.size();
        if (RegEnumKeyExA(key, i, child.data(), &bytes, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        std::string childName(child.data(), bytes);
        if (auto sub = Snapshot(key, childName))
            node->children.emplace_back(childName, std::move(sub));
    }
    RegCloseKey(key);
    return node;
}

void W3DRegistry::Restore(HKEY parent, const std::string &name, const Node &node)
{
    HKEY key;
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    for (const auto &v : node.values)
        RegSetValueExA(key, v.name.c_str(), 0, v.type, v.data.data(), (DWORD)v.data.size());
    for (const auto &child : node.children)
        Restore(key, child.first, *child.second);
    RegCloseKey(key);
}

W3DRegistry::W3DRegistry() : saved_(Snapshot(HKEY_LOCAL_MACHINE, Key())) { Clear(); }

W3DRegistry::~W3DRegistry()
{
    Clear();
    if (saved_)
        Restore(HKEY_LOCAL_MACHINE, Key(), *saved_);
}

void W3DRegistry::Clear() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, Key()); }

bool W3DRegistry::SetBytes(const std::string &subkey, const std::string &name, DWORD type, const void *data,
                           DWORD bytes)
{
    std::string path = subkey.empty() ? Key() : std::string(Key()) + "\\" + subkey;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name.c_str(), 0, type, (const BYTE *)data, bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool W3DRegistry::SetText(const std::string &subkey, const std::string &name, const std::string &text)
{
    return SetBytes(subkey, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

bool W3DRegistry::SetNumber(const std::string &subkey, const std::string &name, DWORD value)
{
    return SetBytes(subkey, name, REG_DWORD, &value, sizeof value);
}
