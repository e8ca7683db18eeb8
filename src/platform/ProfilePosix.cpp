#include "Profile.h"

#include "MoveAll.h"
#include "WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kNone = std::string::npos;
// A larger file is no profile of these programs: it is left alone, never read whole.
constexpr size_t kLargestProfile = 256u << 20;

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

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Whether text[begin, end) is name, without regard to (ASCII) case.
bool SameName(const std::string& text, size_t begin, size_t end, const std::string& name) {
    if (end - begin != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (Lower(text[begin + i]) != Lower(name[i]))
            return false;
    return true;
}

// A value as the service returns it: a pair of the same quotes around it is dropped.
std::string Unquoted(std::string v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
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

DWORD CopyOut(const std::string& text, LPSTR out, DWORD size) {
    if (!out || size == 0)
        return 0;
    size_t n = std::min<size_t>(std::strlen(text.c_str()), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// One line of the text. [begin, end) is the line without the blanks around it; the line
// itself runs from start to stop, where its line break (CR, LF or CR LF) or the text ends;
// next is where the following line starts.
struct Line {
    enum Kind { kBlank, kHeader, kEntry, kOther } kind;
    size_t start, begin, end, stop, next;
    size_t nameBegin, nameEnd;   // section or key name, trimmed
    size_t valueBegin, valueEnd; // entry value, trimmed
};

// The text of a profile file and the service's rules over it. Every operation walks the
// lines it needs from the text itself, so a large file needs no memory beyond its bytes;
// the place of the section used last is kept, as callers ask for one section many times.
class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(std::string text) : m_text(std::move(text)) {
        // A UTF-8 byte-order mark is no part of the first line.
        if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            m_first = 3;
    }
    const std::string& Text() const { return m_text; }

    // The value of key in section; false when there is none.
    bool Value(const std::string& section, const std::string& key, std::string* value) {
        Line header, entry;
        if (!FindSection(section, &header) || !FindKey(header, key, &entry, nullptr))
            return false;
        *value = Unquoted(m_text.substr(entry.valueBegin, entry.valueEnd - entry.valueBegin));
        return true;
    }

    // The key names of section (entries other than comments), one by one until fn is false;
    // false when there is no such section.
    template <typename Fn> bool ForEachKey(const std::string& section, Fn fn) {
        Line header, line;
        if (!FindSection(section, &header))
            return false;
        for (size_t pos = header.next; Next(&pos, &line) && line.kind != Line::kHeader;) {
            if (line.kind == Line::kEntry &&
                !(line.nameEnd > line.nameBegin && m_text[line.nameBegin] == ';') &&
                !fn(m_text.substr(line.nameBegin, line.nameEnd - line.nameBegin)))
                break;
        }
        return true;
    }

    // The names of all sections in order, one by one until fn is false.
    template <typename Fn> void ForEachSection(Fn fn) const {
        Line line;
        for (size_t pos = m_first; Next(&pos, &line);)
            if (line.kind == Line::kHeader && line.nameEnd > line.nameBegin &&
                !fn(m_text.substr(line.nameBegin, line.nameEnd - line.nameBegin)))
                break;
    }

    // The service's write: a NULL text deletes the key, a NULL key the section. Returns
    // whether the text changed.
    bool Write(const std::string& section, const char* key, const char* text) {
        Line header;
        bool found = FindSection(section, &header);
        if (!key) {
            if (!found)
                return false;
            Line line;
            size_t end = m_text.size();
            for (size_t pos = header.next; Next(&pos, &line);) {
                if (line.kind == Line::kHeader) {
                    end = line.start;
                    break;
                }
            }
            Splice(header.start, end - header.start, "");
            return true;
        }
        std::string name = Trim(key);
        if (!found) {
            if (!text)
                return false;
            Splice(m_text.size(), 0,
                   LineBreakBefore(m_text.size()) + "[" + section + "]\r\n" + name + "=" +
                       TrimLeft(text) + "\r\n");
            return true;
        }
        Line entry;
        size_t insertAt = 0;
        if (!FindKey(header, name, &entry, &insertAt)) {
            if (!text)
                return false;
            Splice(insertAt, 0, LineBreakBefore(insertAt) + name + "=" + TrimLeft(text) + "\r\n");
            return true;
        }
        if (!text) {
            Splice(entry.start, entry.next - entry.start, "");
            return true;
        }
        std::string value = TrimLeft(text);
        if (m_text.compare(entry.valueBegin, entry.valueEnd - entry.valueBegin, value) == 0)
            return false;
        Splice(entry.start, entry.stop - entry.start,
               m_text.substr(entry.nameBegin, entry.nameEnd - entry.nameBegin) + "=" + value);
        return true;
    }

private:
    static std::string TrimLeft(const char* s) {
        while (*s && IsBlank(*s))
            ++s;
        return s;
    }

    // Where the line at pos ends and the next starts, and its blanks; not what it holds.
    void Bounds(size_t pos, Line* line) const {
        const char* text = m_text.data();
        const size_t size = m_text.size();
        const void* lf = std::memchr(text + pos, '\n', size - pos);
        size_t stop = lf ? static_cast<size_t>(static_cast<const char*>(lf) - text) : size;
        if (const void* cr = std::memchr(text + pos, '\r', stop - pos))
            stop = static_cast<size_t>(static_cast<const char*>(cr) - text);
        line->start = pos;
        line->stop = stop;
        line->next = stop;
        if (stop < size)
            line->next += text[stop] == '\r' && stop + 1 < size && text[stop + 1] == '\n' ? 2 : 1;
        size_t b = pos, e = stop;
        while (b < e && IsBlank(text[b]))
            ++b;
        while (e > b && IsBlank(text[e - 1]))
            --e;
        line->begin = b;
        line->end = e;
        line->kind = b == e ? Line::kBlank : Line::kOther;
    }

    // What the line holds: a section header, an entry, or neither.
    void Classify(Line* line) const {
        if (line->kind == Line::kBlank)
            return;
        const char* text = m_text.data();
        size_t b = line->begin, e = line->end;
        if (text[b] == '[') {
            for (size_t close = e; close > b + 1; --close) {
                if (text[close - 1] == ']') {
                    line->kind = Line::kHeader;
                    TrimInto(b + 1, close - 1, &line->nameBegin, &line->nameEnd);
                    return;
                }
            }
        }
        if (const void* eq = std::memchr(text + b, '=', e - b)) {
            size_t at = static_cast<size_t>(static_cast<const char*>(eq) - text);
            line->kind = Line::kEntry;
            TrimInto(b, at, &line->nameBegin, &line->nameEnd);
            TrimInto(at + 1, e, &line->valueBegin, &line->valueEnd);
        }
    }

    // The line at *pos, which then moves on to the next; false at the end of the text.
    bool Next(size_t* pos, Line* line) const {
        if (*pos >= m_text.size())
            return false;
        Bounds(*pos, line);
        Classify(line);
        *pos = line->next;
        return true;
    }

    void TrimInto(size_t b, size_t e, size_t* begin, size_t* end) const {
        while (b < e && IsBlank(m_text[b]))
            ++b;
        while (e > b && IsBlank(m_text[e - 1]))
            --e;
        *begin = b;
        *end = e;
    }

    // The header line of the first section called name.
    bool FindSection(const std::string& name, Line* header) {
        size_t pos = m_lastSection;
        if (pos != kNone && Next(&pos, header) && header->kind == Line::kHeader &&
            SameName(m_text, header->nameBegin, header->nameEnd, name))
            return true;
        m_lastSection = kNone;
        for (pos = m_first; pos < m_text.size(); pos = header->next) {
            // Only a line that starts with a bracket can be a header.
            Bounds(pos, header);
            if (header->kind == Line::kBlank || m_text[header->begin] != '[')
                continue;
            Classify(header);
            if (header->kind == Line::kHeader &&
                SameName(m_text, header->nameBegin, header->nameEnd, name)) {
                m_lastSection = header->start;
                return true;
            }
        }
        return false;
    }

    // The first entry called key in the section; without one, *insertAt is where a new
    // entry goes: after the section's last line that is not blank.
    bool FindKey(const Line& header, const std::string& key, Line* entry, size_t* insertAt) {
        size_t after = header.next;
        for (size_t pos = header.next; pos < m_text.size(); pos = entry->next) {
            Bounds(pos, entry);
            if (entry->kind == Line::kBlank)
                continue;
            // A line whose first character is not the name's cannot be its entry.
            char c = m_text[entry->begin];
            if (c == '[' || (key.empty() ? c == '=' : Lower(c) == Lower(key[0]))) {
                Classify(entry);
                if (entry->kind == Line::kHeader)
                    break;
                if (entry->kind == Line::kEntry &&
                    SameName(m_text, entry->nameBegin, entry->nameEnd, key))
                    return true;
            }
            after = entry->next;
        }
        if (insertAt)
            *insertAt = after;
        return false;
    }

    // A line break when a line is to be added at pos after a last line that has none.
    std::string LineBreakBefore(size_t pos) const {
        if (pos > m_first && m_text[pos - 1] != '\n' && m_text[pos - 1] != '\r')
            return "\r\n";
        return "";
    }

    void Splice(size_t pos, size_t length, const std::string& with) {
        // Every splice lies after the header of the section used last, or removes it.
        if (m_lastSection != kNone && pos <= m_lastSection)
            m_lastSection = kNone;
        m_text.replace(pos, length, with);
    }

    std::string m_text;
    size_t m_first = 0;
    size_t m_lastSection = kNone;
};

// The service's lists (section names, or a section's key names): each name ended by a NUL,
// the list by a second one; when it does not fit, the last name is cut and the count is
// size - 2, as the Windows service counts.
class NameList {
public:
    NameList(LPSTR out, DWORD size) : m_out(out), m_size(size), m_left(size) {}
    // Key names: a name cut to fit ends the list.
    bool AddKey(const std::string& name) {
        if (m_left <= 2)
            return false;
        size_t n = std::min<size_t>(std::strlen(name.c_str()), m_left - 2);
        Put(name, n);
        return m_left >= 2;
    }
    DWORD EndKeys() {
        m_out[m_used] = '\0';
        if (m_left <= 1) {
            m_out[m_used - 1] = '\0';
            return m_size - 2;
        }
        return m_size - m_left;
    }
    // Section names: the list keeps room for its own end.
    bool AddSection(const std::string& name) {
        size_t room = m_left - 1;
        size_t n = std::strlen(name.c_str());
        if (n + 1 >= room) {
            if (room > 0)
                Put(name, room - 1);
            m_out[m_used] = '\0';
            m_truncated = true;
            return false;
        }
        Put(name, n);
        return true;
    }
    DWORD EndSections() {
        if (m_truncated)
            return m_size - 2;
        m_out[m_used] = '\0';
        return static_cast<DWORD>(m_used);
    }

private:
    void Put(const std::string& name, size_t n) {
        std::memcpy(m_out + m_used, name.data(), n);
        m_out[m_used + n] = '\0';
        m_used += n + 1;
        m_left -= static_cast<DWORD>(n + 1);
    }
    LPSTR m_out;
    DWORD m_size, m_left;
    size_t m_used = 0;
    bool m_truncated = false;
};

// Follows symbolic links to the file they lead to (which need not exist yet). Only links of
// this user or of the owner of the folder that holds them are followed, as the system does
// in shared folders: one that another user planted (in /tmp, say) refuses the file.
bool ResolveLinks(std::string path, std::string* target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *target = path;
            return true;
        }
        struct stat folderSt;
        if (st.st_uid != geteuid() && (stat(wholefile::FolderOf(path).c_str(), &folderSt) != 0 ||
                                       folderSt.st_uid != st.st_uid))
            return false;
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        ssize_t n = readlink(path.c_str(), &link[0], link.size());
        if (n < 0)
            return false;
        link.resize(static_cast<size_t>(n));
        size_t slash = path.rfind('/');
        if (link.empty() || link[0] == '/' || slash == std::string::npos)
            path = link;
        else
            path = path.substr(0, slash + 1) + link;
    }
    return false;
}

bool WriteAll(int fd, const std::string& content, off_t offset) {
    return moveall::MoveAll(content.size(), [&](size_t done) {
        return pwrite(fd, content.data() + done, content.size() - done,
                      offset + static_cast<off_t>(done));
    });
}

// Rewrites the open file in place: the room for the new content is taken first, then the
// whole content is written and the rest cut off, so only a failing disk can leave it half
// written.
bool RewriteInPlace(int fd, const std::string& content, off_t oldSize) {
    off_t size = static_cast<off_t>(content.size());
    if (size > oldSize && posix_fallocate(fd, 0, size) != 0)
        return false;
    return WriteAll(fd, content, 0) && ftruncate(fd, size) == 0 && fsync(fd) == 0;
}

} // namespace

struct CProfileBatch::Impl {
    std::string target;  // the file itself, symbolic links followed
    bool usable = false; // false: the file exists but cannot be read, so is never written
    bool exists = false;
    struct stat st {};
    ProfileText text;
    bool changed = false;
    bool refused = false;

    explicit Impl(const char* fileName) {
        if (!ResolveLinks(LocalPath(fileName), &target))
            return;
        // Only a regular file: a pipe or a device in its place is never opened, and the file
        // is never written then.
        std::string content;
        wholefile::Got got = wholefile::Read(target, kLargestProfile, true, &content, nullptr);
        if (got != wholefile::Got::kDone) {
            usable = got == wholefile::Got::kMissing;
            return;
        }
        // Its mode, owner and names, for the file that replaces it.
        if (stat(target.c_str(), &st) != 0)
            return;
        usable = exists = true;
        text = ProfileText(std::move(content));
    }

    bool Save() {
        if (!exists) {
            // Nothing to keep: a new file, made whole before it takes the name.
            return wholefile::Replace(target, text.Text(), {}, nullptr) ==
                   wholefile::Replaced::kDone;
        }
        // What the file's own permissions refuse is refused.
        int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return false;
        using wholefile::Replaced;
        Replaced r = Replaced::kNoReplacement;
        // A file of several names is changed under all of them; a new file takes the old
        // one's mode and owner, or the old file is rewritten in place.
        if (st.st_nlink == 1)
            r = wholefile::Replace(target, text.Text(),
                                   {st.st_mode & 07777u, true, static_cast<long>(st.st_uid),
                                    static_cast<long>(st.st_gid)},
                                   nullptr);
        bool ok = r == Replaced::kDone ||
                  (r == Replaced::kNoReplacement && RewriteInPlace(fd, text.Text(), st.st_size));
        ok = close(fd) == 0 && ok;
        return ok;
    }

    bool Commit() {
        bool ok = !refused && (!changed || Save());
        if (ok && changed)
            exists = stat(target.c_str(), &st) == 0;
        changed = refused = false;
        return ok;
    }
};

CProfileBatch::CProfileBatch(LPCSTR fileName) : m_impl(new Impl(fileName)) {}

CProfileBatch::~CProfileBatch() = default;

DWORD CProfileBatch::GetString(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                               LPSTR returnedString, DWORD size) {
    if (!returnedString || size == 0)
        return 0;
    std::string fallback = defaultText ? defaultText : "";
    ProfileText& text = m_impl->text;
    if (!appName) {
        NameList list(returnedString, size);
        if (size == 1) {
            returnedString[0] = '\0';
            return 0;
        }
        text.ForEachSection([&](const std::string& name) { return list.AddSection(name); });
        return list.EndSections();
    }
    if (!keyName) {
        // An empty list (no such section, or no room) gives the default, trailing blanks
        // and all.
        NameList list(returnedString, size);
        DWORD n = 0;
        if (size > 2 && text.ForEachKey(Trim(appName),
                                        [&](const std::string& name) { return list.AddKey(name); }))
            n = list.EndKeys();
        if (n == 0 || returnedString[0] == '\0')
            return CopyOut(Unquoted(fallback), returnedString, size);
        return n;
    }
    std::string value;
    if (text.Value(Trim(appName), Trim(keyName), &value))
        return CopyOut(value, returnedString, size);
    // The service cuts trailing spaces of the default (other blanks stay).
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.pop_back();
    return CopyOut(Unquoted(fallback), returnedString, size);
}

BOOL CProfileBatch::WriteString(LPCSTR appName, LPCSTR keyName, LPCSTR text) {
    if (!appName || !m_impl->usable) {
        m_impl->refused = true;
        return FALSE;
    }
    if (m_impl->text.Write(Trim(appName), keyName, text))
        m_impl->changed = true;
    return TRUE;
}

BOOL CProfileBatch::Commit() {
    return m_impl->Commit() ? TRUE : FALSE;
}

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                               LPSTR returnedString, DWORD size, LPCSTR fileName) {
    return CProfileBatch(fileName).GetString(appName, keyName, defaultText, returnedString, size);
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR text, LPCSTR fileName) {
    CProfileBatch batch(fileName);
    return batch.WriteString(appName, keyName, text) && batch.Commit();
}
