#include "PathEdit.h"

#include <vector>

namespace appath {
namespace {

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

// Each entry of TEXT with where it starts.
std::vector<std::pair<size_t, std::wstring>> Entries(const std::wstring& text) {
    std::vector<std::pair<size_t, std::wstring>> entries;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(L';', start);
        entries.emplace_back(start,
                             text.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) {
            return entries;
        }
        start = end + 1;
    }
}

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

} // namespace

int Edit(bool add, const std::wstring& folder, PathValue& value) {
    const auto entries = Entries(value.text);
    std::wstring text = value.text;
    if (add) {
        for (const auto& entry : entries) {
            if (!entry.second.empty() && Names(entry.second, folder, value.type == REG_EXPAND_SZ)) {
                return kUnchanged;
            }
        }
        // Always with its own separator, so that taking the entry off again gives back the
        // value exactly, a trailing ";" included.
        text = text.empty() ? folder : text + L';' + folder;
    } else {
        auto last = entries.rend();
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            if (_wcsicmp(entry->second.c_str(), folder.c_str()) == 0) {
                last = entry;
                break;
            }
        }
        if (last == entries.rend()) {
            return kUnchanged;
        }
        if (last->first > 0) {
            text.erase(last->first - 1, last->second.size() + 1);
        } else {
            text.erase(0, std::min(text.size(), last->second.size() + 1));
        }
    }
    if (text.size() > kMaxValue) {
        return kTooLong;
    }
    value.text = text;
    return kChanged;
}

int Run(HKEY key, bool add, const std::wstring& folder) {
    PathValue value;
    if (Read(key, value) != ERROR_SUCCESS) {
        return kRegistry;
    }
    const int result = Edit(add, folder, value);
    if (result != kChanged) {
        return result;
    }
    if (value.text.empty()) {
        return RegDeleteValueW(key, L"Path") == ERROR_SUCCESS ? kChanged : kRegistry;
    }
    const DWORD bytes = static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, L"Path", 0, value.type,
                          reinterpret_cast<const BYTE*>(value.text.c_str()), bytes) == ERROR_SUCCESS
               ? kChanged
               : kRegistry;
}

} // namespace appath
