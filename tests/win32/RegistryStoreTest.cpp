#include <gtest/gtest.h>

#include <string>

#include "RegistryStore.h"

using plexifold::win32::ReadRegistryString;
using plexifold::win32::WriteRegistryString;

namespace {

constexpr wchar_t kValue[] = L"DEFAULT_PATH";

// A key of this test's own under the current user, removed afterwards.
class RegistryStoreTest : public testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, m_parent.c_str()); }

    void storeRaw(DWORD type, const std::wstring& data, std::size_t bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, kValue, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(bytes));
        RegCloseKey(key);
    }

    bool keyExists() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, KEY_READ, &key) != 0)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::wstring read() const { return ReadRegistryString(HKEY_CURRENT_USER, m_keyPath, kValue); }

    const std::wstring m_parent =
        L"SOFTWARE\\PlexifoldTest" + std::to_wstring(GetCurrentProcessId());
    const std::wstring m_keyPath = m_parent + L"\\Plexifold";
};

TEST_F(RegistryStoreTest, MissingKeyReadsEmptyAndCreatesNothing) {
    EXPECT_EQ(read(), L"");
    EXPECT_FALSE(keyExists());
}

TEST_F(RegistryStoreTest, StoredDataReadsUpToItsFirstNul) {
    const std::wstring path = L"C:\\scans";
    struct Case {
        const char* name;
        DWORD type;
        std::wstring data;
        std::size_t bytes; // how much of `data` is stored
        std::wstring expected;
    };
    const Case cases[] = {
        {"with its NUL", REG_SZ, path, (path.size() + 1) * 2, path},
        {"without a NUL", REG_SZ, path, path.size() * 2, path},
        {"embedded NUL", REG_SZ, std::wstring(L"C:\\a\0b", 6), 12, L"C:\\a"},
        {"a lone NUL", REG_SZ, L"", 2, L""},
        {"no data", REG_SZ, L"", 0, L""},
        {"odd last byte", REG_SZ, L"C:\\x", 7, L"C:\\"},
        {"expandable string", REG_EXPAND_SZ, path, (path.size() + 1) * 2, L""},
        {"number", REG_DWORD, std::wstring(L"\x0001\x0000", 2), 4, L""},
        {"binary", REG_BINARY, path, path.size() * 2, L""},
    };
    for (const Case& c : cases) {
        storeRaw(c.type, c.data, c.bytes);
        EXPECT_EQ(read(), c.expected) << c.name;
    }
}

TEST_F(RegistryStoreTest, KeyWithoutTheValueReadsEmpty) {
    storeRaw(REG_SZ, L"x", 4);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, m_keyPath.c_str(), kValue);
    EXPECT_EQ(read(), L"");
}

TEST_F(RegistryStoreTest, WriteCreatesTheKeyAndLaterWritesReplaceTheValue) {
    const std::wstring first = L"  C:\\Überweisungen 2026 日本\t ";
    WriteRegistryString(HKEY_CURRENT_USER, m_keyPath, kValue, first);
    EXPECT_EQ(read(), first);
    WriteRegistryString(HKEY_CURRENT_USER, m_keyPath, kValue, L"D:\\images");
    EXPECT_EQ(read(), L"D:\\images");
}

TEST_F(RegistryStoreTest, RefusedWriteIsSilent) {
    const auto invalidRoot = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    WriteRegistryString(invalidRoot, m_keyPath, kValue, L"C:\\scans");
    EXPECT_EQ(ReadRegistryString(invalidRoot, m_keyPath, kValue), L"");
}

} // namespace
