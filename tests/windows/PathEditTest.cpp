// The installer's PATH edit (tools/ap-path) on a value of a test key of the registry: what
// add and remove write, the value's type, and what stays the user's.
#include "PathEdit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

const wchar_t kTestKey[] = L"Software\\ap-utility-tests\\ap-path";
const wchar_t kFolder[] = L"C:\\Apps\\ap-utility";
constexpr DWORD kAbsent = REG_NONE; // no value at all

struct Row {
    const char* what;
    DWORD type; // of the value before, kAbsent for none
    const wchar_t* before;
    bool add;
    int exit;
    DWORD typeAfter;
    const wchar_t* after;
};

const Row kRows[] = {
    {"added to a plain value, kept plain", REG_SZ, L"C:\\tools;%SystemRoot%\\x", true,
     appath::kChanged, REG_SZ, L"C:\\tools;%SystemRoot%\\x;C:\\Apps\\ap-utility"},
    {"added to an expandable value, kept expandable", REG_EXPAND_SZ, L"C:\\tools", true,
     appath::kChanged, REG_EXPAND_SZ, L"C:\\tools;C:\\Apps\\ap-utility"},
    {"added where there was none", kAbsent, L"", true, appath::kChanged, REG_EXPAND_SZ,
     L"C:\\Apps\\ap-utility"},
    {"added after a trailing separator with one of its own", REG_SZ, L"C:\\tools;", true,
     appath::kChanged, REG_SZ, L"C:\\tools;;C:\\Apps\\ap-utility"},
    {"removed, the trailing separator given back", REG_SZ, L"C:\\tools;;C:\\Apps\\ap-utility",
     false, appath::kChanged, REG_SZ, L"C:\\tools;"},
    {"empty entries kept", REG_EXPAND_SZ, L"C:\\a;;C:\\b;C:\\Apps\\ap-utility", false,
     appath::kChanged, REG_EXPAND_SZ, L"C:\\a;;C:\\b"},
    {"the user's entry in other case with a backslash", REG_SZ, L"C:\\tools;C:\\APPS\\AP-UTILITY\\",
     true, appath::kUnchanged, REG_SZ, L"C:\\tools;C:\\APPS\\AP-UTILITY\\"},
    {"the user's entry in quotes", REG_SZ, L"\"C:\\Apps\\ap-utility\";C:\\x", true,
     appath::kUnchanged, REG_SZ, L"\"C:\\Apps\\ap-utility\";C:\\x"},
    {"the user's entry through a variable of an expandable value", REG_EXPAND_SZ,
     L"C:\\tools;%AP_PATH_TEST_APPS%\\ap-utility", true, appath::kUnchanged, REG_EXPAND_SZ,
     L"C:\\tools;%AP_PATH_TEST_APPS%\\ap-utility"},
    {"a variable in a plain value is no entry of the folder", REG_SZ,
     L"%AP_PATH_TEST_APPS%\\ap-utility", true, appath::kChanged, REG_SZ,
     L"%AP_PATH_TEST_APPS%\\ap-utility;C:\\Apps\\ap-utility"},
    {"remove leaves the user's entry through a variable", REG_EXPAND_SZ,
     L"C:\\tools;%AP_PATH_TEST_APPS%\\ap-utility", false, appath::kUnchanged, REG_EXPAND_SZ,
     L"C:\\tools;%AP_PATH_TEST_APPS%\\ap-utility"},
    {"only the recorded entry removed, not the user's with a backslash", REG_SZ,
     L"C:\\Apps\\ap-utility\\;C:\\x;C:\\Apps\\ap-utility", false, appath::kChanged, REG_SZ,
     L"C:\\Apps\\ap-utility\\;C:\\x"},
    {"only the last of two equal entries removed", REG_SZ,
     L"C:\\Apps\\ap-utility;C:\\x;c:\\apps\\AP-UTILITY;C:\\y", false, appath::kChanged, REG_SZ,
     L"C:\\Apps\\ap-utility;C:\\x;C:\\y"},
    {"neighbours of the folder's name stay", REG_SZ,
     L"C:\\Apps\\ap-utility2;C:\\Apps\\ap-utility\\bin;C:\\Apps\\ap-utility", false,
     appath::kChanged, REG_SZ, L"C:\\Apps\\ap-utility2;C:\\Apps\\ap-utility\\bin"},
    {"the first entry removed with the separator after it", REG_EXPAND_SZ,
     L"C:\\Apps\\ap-utility;C:\\x", false, appath::kChanged, REG_EXPAND_SZ, L"C:\\x"},
    {"the only entry removed: the value deleted", REG_SZ, L"C:\\Apps\\ap-utility", false,
     appath::kChanged, kAbsent, L""},
    {"nothing to remove", REG_SZ, L"C:\\tools", false, appath::kUnchanged, REG_SZ, L"C:\\tools"},
    {"nothing to remove from no value", kAbsent, L"", false, appath::kUnchanged, kAbsent, L""},
};

class PathEdit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
        SetEnvironmentVariableW(L"AP_PATH_TEST_APPS", L"C:\\Apps");
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
        SetEnvironmentVariableW(L"AP_PATH_TEST_APPS", nullptr);
    }
    void Set(DWORD type, const std::wstring& text) {
        RegDeleteValueW(key_, L"Path");
        if (type != kAbsent) {
            ASSERT_EQ(RegSetValueExW(key_, L"Path", 0, type,
                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                      ERROR_SUCCESS);
        }
    }
    // The value's type (kAbsent when there is none) and its text.
    std::pair<DWORD, std::wstring> Get() {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key_, L"Path", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return {kAbsent, L""};
        }
        std::wstring text(size / sizeof(wchar_t), L'\0');
        RegQueryValueExW(key_, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size);
        text.resize(wcsnlen(text.c_str(), text.size()));
        return {type, text};
    }
    HKEY key_ = nullptr;
};

TEST_F(PathEdit, EachRuleOnTheRegistryValue) {
    for (const Row& row : kRows) {
        Set(row.type, row.before);
        EXPECT_EQ(appath::Run(key_, row.add, kFolder), row.exit) << row.what;
        const auto after = Get();
        EXPECT_EQ(after.first, row.typeAfter) << row.what;
        EXPECT_EQ(after.second, std::wstring(row.after)) << row.what;
    }
}

// The longest value an environment variable may hold is 32766 characters: the folder is
// added when the result has that many, and the value is left whole when it would have one
// more.
TEST_F(PathEdit, TheFolderAddedUpToTheLongestValue) {
    const std::wstring folder = kFolder;
    for (size_t total : {size_t{32766}, size_t{32767}}) {
        const std::wstring before(total - folder.size() - 1, L'x');
        Set(REG_SZ, before);
        const bool fits = total == 32766;
        EXPECT_EQ(appath::Run(key_, true, folder), fits ? appath::kChanged : appath::kTooLong)
            << total;
        EXPECT_EQ(Get().second, fits ? before + L";C:\\Apps\\ap-utility" : before) << total;
    }
}

} // namespace
