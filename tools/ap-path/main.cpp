// ap-path: adds a folder to the user's PATH or takes it off again, for the Windows installer
// and its uninstaller, which cannot hold a value of any length in their own strings.
//
//   ap-path add FOLDER     appends FOLDER to HKCU\Environment\Path unless an entry names it
//   ap-path remove FOLDER  takes every entry naming FOLDER off; an emptied value is deleted
//
// Every other entry, the separators between them and the value's type stay as they were.
// An entry names FOLDER when it is equal to it ignoring case, surrounding quotes and a
// trailing backslash, as written or, in a value of the expandable type, with its %VARIABLES%
// expanded.
// Exit codes: 0 changed, 1 nothing to change, 2 wrong arguments, 3 the value would pass the
// longest an environment variable may be (nothing written), 4 the registry refused.
#include <windows.h>

#include <shellapi.h>
#include <string>
#include <vector>

namespace {

enum Exit { kChanged = 0, kUnchanged = 1, kUsage = 2, kTooLong = 3, kRegistry = 4 };

// The longest value of an environment variable, without its terminating null.
constexpr size_t kMaxValue = 32766;

std::wstring Canonical(std::wstring entry) {
    if (entry.size() >= 2 && entry.front() == L'"' && entry.back() == L'"') {
        entry = entry.substr(1, entry.size() - 2);
    }
    while (entry.size() > 3 && (entry.back() == L'\\' || entry.back() == L'/')) {
        entry.pop_back();
    }
    return entry;
}

std::wstring Expanded(const std::wstring& entry) {
    DWORD size = ExpandEnvironmentStringsW(entry.c_str(), nullptr, 0);
    if (size == 0) {
        return entry;
    }
    std::wstring out(size, L'\0');
    size = ExpandEnvironmentStringsW(entry.c_str(), &out[0], size);
    if (size == 0 || size > out.size()) {
        return entry;
    }
    out.resize(size - 1);
    return out;
}

bool Names(const std::wstring& entry, const std::wstring& folder, bool expand) {
    const std::wstring wanted = Canonical(folder);
    return _wcsicmp(Canonical(entry).c_str(), wanted.c_str()) == 0 ||
           (expand && _wcsicmp(Canonical(Expanded(entry)).c_str(), wanted.c_str()) == 0);
}

struct PathValue {
    bool present = false;
    DWORD type = REG_EXPAND_SZ;
    std::wstring text;
};

LONG Read(HKEY key, PathValue& value) {
    std::vector<BYTE> data(4096);
    for (;;) {
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status =
            RegQueryValueExW(key, L"Path", nullptr, &value.type, data.data(), &size);
        if (status == ERROR_FILE_NOT_FOUND) {
            value = PathValue{};
            return ERROR_SUCCESS;
        }
        if (status == ERROR_MORE_DATA) {
            data.resize(size + sizeof(wchar_t));
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
            return ERROR_INVALID_DATA;
        }
        value.present = true;
        value.text.assign(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        // The stored value may or may not end in its terminator.
        while (!value.text.empty() && value.text.back() == L'\0') {
            value.text.pop_back();
        }
        return ERROR_SUCCESS;
    }
}

// The value with every entry naming the folder taken off, each other entry and the
// separator before it kept as written.
std::wstring Without(const std::wstring& text, const std::wstring& folder, bool expand,
                     bool& found) {
    std::wstring kept;
    bool first = true;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(L';', start);
        const std::wstring entry =
            text.substr(start, end == std::wstring::npos ? end : end - start);
        if (!entry.empty() && Names(entry, folder, expand)) {
            found = true;
        } else {
            if (!first) {
                kept += L';';
            }
            kept += entry;
            first = false;
        }
        if (end == std::wstring::npos) {
            return kept;
        }
        start = end + 1;
    }
}

void TellPrograms() {
    // Explorer reads the environment again, so the next command prompt has the new PATH.
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, 5000, nullptr);
}

int Run(const std::wstring& command, const std::wstring& folder) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Environment", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return kRegistry;
    }
    PathValue value;
    int result = kRegistry;
    if (Read(key, value) == ERROR_SUCCESS) {
        const bool add = command == L"add";
        bool found = false;
        std::wstring text = Without(value.text, folder, value.type == REG_EXPAND_SZ, found);
        if (add) {
            // Always with its own separator, so that taking the entry off again gives back
            // the value exactly, a trailing ";" included.
            text = value.text.empty() ? folder : value.text + L';' + folder;
        }
        if (add == found) {
            result = kUnchanged;
        } else if (text.size() > kMaxValue) {
            result = kTooLong;
        } else if (text.empty()) {
            result = RegDeleteValueW(key, L"Path") == ERROR_SUCCESS ? kChanged : kRegistry;
        } else {
            const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
            result =
                RegSetValueExW(key, L"Path", 0, value.type,
                               reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS
                    ? kChanged
                    : kRegistry;
        }
    }
    RegCloseKey(key);
    if (result == kChanged) {
        TellPrograms();
    }
    return result;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    int result = kUsage;
    if (args != nullptr && count == 3 && args[2][0] != L'\0' &&
        (std::wstring(args[1]) == L"add" || std::wstring(args[1]) == L"remove")) {
        result = Run(args[1], args[2]);
    }
    LocalFree(args);
    return result;
}
