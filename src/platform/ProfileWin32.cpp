// CProfileBatch on Windows: every call is the system's own profile service, which caches the
// file itself; Commit reports whether every write was accepted. The file's name is UTF-8, as
// the programs hold names, and reaches the service's wide calls as UTF-16, so a folder named
// beyond the ANSI code page works as well as any. The sections, keys and values go as the
// narrow calls send them, through the ANSI code page, which is also the one the service
// keeps the file in: the key file's scrambled bytes come back as they were written.
#include "Profile.h"

#include "WideText.h"

#include <string>

namespace {

// A narrow text as the narrow calls take it; NULL stays NULL (a NULL key name or text has
// its own meaning).
struct AnsiArgument {
    explicit AnsiArgument(LPCSTR text) : given(text != nullptr) {
        if (!text || !*text)
            return;
        int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        wide.assign(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
        wide.resize(static_cast<size_t>(n - 1));
    }
    LPCWSTR get() const { return given ? wide.c_str() : nullptr; }
    bool given;
    std::wstring wide;
};

std::string ToAnsi(const std::wstring& wide) {
    if (wide.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr,
                        nullptr);
    return text;
}

} // namespace

struct CProfileBatch::Impl {
    std::wstring fileName;
    bool ok = true;
};

CProfileBatch::CProfileBatch(LPCSTR fileName)
    : m_impl(new Impl{widetext::Wide(fileName ? fileName : "")}) {}

CProfileBatch::~CProfileBatch() = default;

DWORD CProfileBatch::GetString(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                               LPSTR returnedString, DWORD size) {
    if (size == 0)
        return 0;
    std::wstring wide(size, L'\0');
    AnsiArgument app(appName), key(keyName), fallback(defaultText);
    DWORD n = GetPrivateProfileStringW(app.get(), key.get(), fallback.get(), &wide[0], size,
                                       m_impl->fileName.c_str());
    wide.resize(n);
    // As the narrow call does: what does not fit is cut, and the count leaves out the NUL
    // (a list of names keeps the NULs between its names, the last one ending it twice).
    std::string text = ToAnsi(wide);
    if (text.size() > size - 1)
        text.resize(size - 1);
    text.copy(returnedString, text.size());
    returnedString[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

BOOL CProfileBatch::WriteString(LPCSTR appName, LPCSTR keyName, LPCSTR text) {
    AnsiArgument app(appName), key(keyName), value(text);
    BOOL ok =
        WritePrivateProfileStringW(app.get(), key.get(), value.get(), m_impl->fileName.c_str());
    m_impl->ok = m_impl->ok && ok;
    return ok;
}

BOOL CProfileBatch::Commit() {
    return m_impl->ok ? TRUE : FALSE;
}
