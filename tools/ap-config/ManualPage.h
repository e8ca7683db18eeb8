#pragma once

#include <string>

// The reference parts of the manual page and of docs/ap-config.md, made from the registry
// of commands, the option table, the exit codes and the field table, so that neither can
// drift from the program.
namespace ManualPage {

// Each part as roff paragraphs (.TP) for the page.
std::string CommandsRoff();
std::string OptionsRoff();
std::string ExitStatusRoff();
std::string FieldsRoff();
// The same as the guide's Markdown tables.
std::string CommandsMarkdown();
std::string OptionsMarkdown();
std::string ExitCodesMarkdown();
std::string FieldsMarkdown();
// The page from its template: the lines "@COMMANDS@", "@OPTIONS@", "@EXIT_STATUS@" and
// "@FIELDS@" replaced by their parts. False when the template lacks one of them.
bool Fill(const std::string& pageTemplate, std::string* page);

} // namespace ManualPage
