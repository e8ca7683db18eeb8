// ap-path: adds a folder to the user's PATH or takes it off again, for the Windows installer
// and its uninstaller, which cannot hold a value of any length in their own strings.
//
//   ap-path add FOLDER     appends FOLDER to HKCU\Environment\Path unless an entry names it
//   ap-path remove FOLDER  takes the entry FOLDER (as add wrote it) off; an emptied value is
//                          deleted
//
// Every other entry, the separators between them and the value's type stay as they were
// (PathEdit.h has the rules).
// Exit codes: 0 changed, 1 nothing to change, 2 wrong arguments, 3 the value would pass the
// longest an environment variable may be (nothing written), 4 the registry refused.
#include "PathEdit.h"

#include <shellapi.h>

namespace {

void TellPrograms() {
    // Explorer reads the environment again, so the next command prompt has the new PATH.
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, 5000, nullptr);
}

int Run(const std::wstring& command, const std::wstring& folder) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Environment", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return appath::kRegistry;
    }
    const int result = appath::Run(key, command == L"add", folder);
    RegCloseKey(key);
    if (result == appath::kChanged) {
        TellPrograms();
    }
    return result;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    int result = appath::kUsage;
    if (args != nullptr && count == 3 && args[2][0] != L'\0' &&
        (std::wstring(args[1]) == L"add" || std::wstring(args[1]) == L"remove")) {
        result = Run(args[1], args[2]);
    }
    LocalFree(args);
    return result;
}
