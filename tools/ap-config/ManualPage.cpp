#include "ManualPage.h"

#include "ConfigFields.h"

namespace {

// Reference text in roff: `word` in bold, every hyphen a minus sign as the options need.
std::string Roff(const std::string& text) {
    std::string out;
    bool bold = false;
    for (char c : text) {
        if (c == '`')
            out += (bold = !bold) ? "\\fB" : "\\fR";
        else if (c == '-' || c == '\\')
            out += std::string("\\") + (c == '-' ? "-" : "e");
        else
            out += c;
    }
    return out;
}

// The values as a sentence.
std::string Described(const FieldReference& row) {
    std::string text = row.settable ? row.values : "Read only: " + row.values;
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

} // namespace

std::string ManualPage::FieldsRoff() {
    std::string out;
    for (const FieldReference& row : ConfigFields::Reference())
        out += ".TP\n.B " + Roff(row.names) + "\n" + Roff(Described(row)) + ".\n";
    return out;
}

std::string ManualPage::FieldsMarkdown() {
    std::string out = "| field | values |\n|---|---|\n";
    for (const FieldReference& row : ConfigFields::Reference()) {
        std::string names;
        for (size_t at = 0, end; at < row.names.size(); at = end + 2) {
            end = std::min(row.names.find(", ", at), row.names.size());
            names += (names.empty() ? "`" : ", `") + row.names.substr(at, end - at) + "`";
        }
        out += "| " + names + " | " + Described(row) + " |\n";
    }
    return out;
}

bool ManualPage::Fill(const std::string& pageTemplate, std::string* page) {
    const std::string line = "@FIELDS@\n";
    size_t at = pageTemplate.find(line);
    if (at == std::string::npos || (at > 0 && pageTemplate[at - 1] != '\n'))
        return false;
    *page = pageTemplate.substr(0, at) + FieldsRoff() + pageTemplate.substr(at + line.size());
    return true;
}
