#include "RegistryStore.h"

#include <algorithm>
#include <memory>
#include <type_traits>
#include <vector>

namespace plexifold::win32 {
namespace {

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

RegistryKey openKey(HKEY root, const std::wstring& keyPath, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return {};
    return RegistryKey(key);
}

// The value's data when it is a REG_SZ; nothing otherwise. A value that grows between
// the size query and the read is asked for again.
bool readStringData(HKEY key, const std::wstring& valueName, std::vector<BYTE>& data) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            return false;
        data.assign(size, 0);
        const LONG status =
            RegQueryValueExW(key, valueName.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        data.resize(size);
        return status == ERROR_SUCCESS && type == REG_SZ;
    }
    return false;
}

} // namespace

std::wstring ReadRegistryString(HKEY root, const std::wstring& keyPath,
                                const std::wstring& valueName) {
    const RegistryKey key = openKey(root, keyPath, KEY_QUERY_VALUE);
    std::vector<BYTE> data;
    if (!key || !readStringData(key.get(), valueName, data))
        return {};
    // Whole characters only; an odd last byte is not part of the text.
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::copy_n(data.data(), text.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(text.data()));
    return text.substr(0, text.find(L'\0'));
}

void WriteRegistryString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                         const std::wstring& text) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &created, nullptr) != ERROR_SUCCESS)
        return;
    const RegistryKey key(created);
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

} // namespace plexifold::win32
