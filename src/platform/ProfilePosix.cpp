#include "Profile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string TrimLeft(const std::string& s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b]))
        ++b;
    return s.substr(b);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

// ".\NAME" is NAME in the working folder; other backslashes become slashes.
std::string LocalPath(const char* fileName) {
    std::string p = fileName ? fileName : "";
    if (p.compare(0, 2, ".\\") == 0)
        p = p.substr(2);
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

struct Line {
    enum Kind { kHeader, kEntry, kOther } kind;
    std::string text;  // the trimmed line
    std::string name;  // section or key name, trimmed
    std::string value; // entry value, trimmed
};

std::vector<Line> ParseLines(const std::string& content) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = content.size();
        std::string text = Trim(content.substr(pos, end - pos));
        pos = end + 1; // CR, LF, or the first of CR LF
        if (end < content.size() && content[end] == '\r' && pos < content.size() &&
            content[pos] == '\n')
            ++pos;
        if (text.empty())
            continue;
        Line line{Line::kOther, text, {}, {}};
        size_t close = text.rfind(']');
        size_t eq = text.find('=');
        if (text[0] == '[' && close != std::string::npos) {
            line.kind = Line::kHeader;
            line.name = Trim(text.substr(1, close - 1));
        } else if (eq != std::string::npos) {
            line.kind = Line::kEntry;
            line.name = Trim(text.substr(0, eq));
            line.value = Trim(text.substr(eq + 1));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool ReadFile(const std::string& path, std::string* content) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
        content->append(buf, n);
    std::fclose(f);
    return true;
}

// Index range [begin, end) of the lines of the first section named name; begin is the
// header's index; npos when there is none.
size_t FindSection(const std::vector<Line>& lines, const std::string& name, size_t* end) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Line::kHeader && SameName(lines[i].name, name)) {
            size_t j = i + 1;
            while (j < lines.size() && lines[j].kind != Line::kHeader)
                ++j;
            *end = j;
            return i;
        }
    }
    return std::string::npos;
}

bool WriteAtomically(const std::string& path, const std::string& content) {
    std::string tmp = path + ".tmp" + std::to_string(getpid());
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < content.size()) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

DWORD CopyOut(const std::string& text, LPSTR out, DWORD size) {
    if (!out || size == 0)
        return 0;
    size_t n = std::min<size_t>(std::strlen(text.c_str()), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                               LPSTR returnedString, DWORD size, LPCSTR fileName) {
    // The service cuts trailing spaces of the default (other blanks stay).
    std::string fallback = defaultText ? defaultText : "";
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.pop_back();
    std::string content;
    if (!appName || !keyName || !ReadFile(LocalPath(fileName), &content))
        return CopyOut(fallback, returnedString, size);
    std::vector<Line> lines = ParseLines(content);
    size_t end = 0;
    size_t begin = FindSection(lines, Trim(appName), &end);
    if (begin == std::string::npos)
        return CopyOut(fallback, returnedString, size);
    std::string key = Trim(keyName);
    for (size_t i = begin + 1; i < end; ++i) {
        if (lines[i].kind != Line::kEntry || !SameName(lines[i].name, key))
            continue;
        std::string v = lines[i].value;
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        return CopyOut(v, returnedString, size);
    }
    return CopyOut(fallback, returnedString, size);
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR text, LPCSTR fileName) {
    if (!appName)
        return FALSE;
    std::string path = LocalPath(fileName);
    std::string content;
    ReadFile(path, &content); // a missing file is created
    std::vector<Line> lines = ParseLines(content);
    std::string section = Trim(appName);
    size_t end = 0;
    size_t begin = FindSection(lines, section, &end);

    if (!keyName) { // remove the whole section
        if (begin != std::string::npos)
            lines.erase(lines.begin() + static_cast<long>(begin),
                        lines.begin() + static_cast<long>(end));
    } else {
        std::string key = Trim(keyName);
        if (begin == std::string::npos) {
            if (text) {
                lines.push_back({Line::kHeader, "[" + section + "]", section, {}});
                lines.push_back({Line::kEntry, {}, key, TrimLeft(text)});
            }
        } else {
            size_t found = std::string::npos, lastEntry = begin;
            for (size_t i = begin + 1; i < end; ++i) {
                if (lines[i].kind != Line::kEntry)
                    continue;
                lastEntry = i;
                if (found == std::string::npos && SameName(lines[i].name, key))
                    found = i;
            }
            if (found != std::string::npos) {
                if (text)
                    lines[found].value = TrimLeft(text);
                else
                    lines.erase(lines.begin() + static_cast<long>(found));
            } else if (text) {
                lines.insert(lines.begin() + static_cast<long>(lastEntry) + 1,
                             {Line::kEntry, {}, key, TrimLeft(text)});
            }
        }
    }

    std::string out;
    for (const Line& l : lines) {
        if (l.kind == Line::kEntry)
            out += l.name + "=" + l.value;
        else
            out += l.text;
        out += "\r\n";
    }
    if (!WriteAtomically(path, out))
        return FALSE;
    return TRUE;
}
