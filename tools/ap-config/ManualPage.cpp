#include "ManualPage.h"

#include "Command.h"
#include "ConfigFields.h"
#include "ExitCodes.h"

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

// A table cell: a bar would end it.
std::string Cell(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '|' ? std::string("\\|") : std::string(1, c);
    return out;
}

// The values as a sentence.
std::string Described(const FieldReference& row) {
    std::string text = row.settable ? row.values : "Read only: " + row.values;
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string OptionHead(const OptionSpec& o) {
    std::string names = o.names, value = o.value;
    size_t comma = names.find(',');
    if (comma != std::string::npos)
        names = names.substr(0, comma) + ", " + names.substr(comma + 1);
    return names + (value.empty() || value[0] == '[' ? value : " " + value);
}

std::string OptionText(const OptionSpec& o) {
    std::string owners = o.global ? "" : " (" + OwnersOf(o.id) + ")";
    return std::string(o.reference) + (o.global ? "" : " Taken by: " + OwnersOf(o.id) + ".");
}

bool Replace(std::string* page, const std::string& mark, const std::string& part) {
    const std::string line = mark + "\n";
    size_t at = page->find(line);
    if (at == std::string::npos || (at > 0 && (*page)[at - 1] != '\n'))
        return false;
    page->replace(at, line.size(), part);
    return true;
}

} // namespace

std::string ManualPage::CommandsRoff() {
    std::string out;
    for (const Command* c : Commands())
        if (!c->Has(kHidden))
            out += ".TP\n.B " + Roff(c->Synopsis()) + "\n" + Roff(c->reference) + "\n";
    return out;
}

std::string ManualPage::OptionsRoff() {
    std::string out;
    for (const OptionSpec& o : OptionTable())
        out += ".TP\n.B " + Roff(OptionHead(o)) + "\n" + Roff(OptionText(o)) + "\n";
    return out;
}

std::string ManualPage::ExitStatusRoff() {
    std::string out;
    for (const ExitCodeInfo& e : ExitCodes()) {
        out += ".TP\n.B " + std::to_string(e.code) + "\n";
        if (e.code != kExitDone)
            out += ".RB ( " + Roff(e.word) + " )\n";
        out += Roff(e.meaning) + "\n";
    }
    return out;
}

std::string ManualPage::FieldsRoff() {
    std::string out = Roff(ConfigFields::ReferenceRules()) + ".\n";
    for (const FieldReference& row : ConfigFields::Reference())
        out += ".TP\n.B " + Roff(row.names) + "\n" + Roff(Described(row)) + ".\n";
    return out;
}

std::string ManualPage::CommandsMarkdown() {
    std::string out = "| command | what it does |\n|---|---|\n";
    for (const Command* c : Commands())
        if (!c->Has(kHidden))
            out += "| `" + Cell(c->Synopsis()) + "` | " + Cell(c->reference) + " |\n";
    return out;
}

std::string ManualPage::OptionsMarkdown() {
    std::string out = "| option | meaning |\n|---|---|\n";
    for (const OptionSpec& o : OptionTable())
        out += "| `" + Cell(OptionHead(o)) + "` | " + Cell(OptionText(o)) + " |\n";
    return out;
}

std::string ManualPage::ExitCodesMarkdown() {
    std::string out = "| code | `--json` | meaning |\n|---|---|---|\n";
    for (const ExitCodeInfo& e : ExitCodes())
        out += "| " + std::to_string(e.code) + " | " +
               (e.code == kExitDone ? std::string() : "`" + std::string(e.word) + "`") + " | " +
               Cell(e.meaning) + " |\n";
    return out;
}

std::string ManualPage::FieldsMarkdown() {
    std::string out = ConfigFields::ReferenceRules() + ".\n\n| field | values |\n|---|---|\n";
    for (const FieldReference& row : ConfigFields::Reference()) {
        std::string names;
        for (size_t at = 0, end; at < row.names.size(); at = end + 2) {
            end = std::min(row.names.find(", ", at), row.names.size());
            names += (names.empty() ? "`" : ", `") + row.names.substr(at, end - at) + "`";
        }
        out += "| " + names + " | " + Cell(Described(row)) + " |\n";
    }
    return out;
}

bool ManualPage::Fill(const std::string& pageTemplate, std::string* page) {
    *page = pageTemplate;
    return Replace(page, "@COMMANDS@", CommandsRoff()) &&
           Replace(page, "@OPTIONS@", OptionsRoff()) &&
           Replace(page, "@EXIT_STATUS@", ExitStatusRoff()) &&
           Replace(page, "@FIELDS@", FieldsRoff());
}
