#pragma once

#include <string>

// The field reference of the manual page and of docs/ap-config.md, made from the table that
// set's rules walk (ConfigFields::Reference), so that neither can drift from the program.
namespace ManualPage {

// Every field as a roff paragraph (.TP): its name in bold, then the values it takes.
std::string FieldsRoff();
// The same as a Markdown table.
std::string FieldsMarkdown();
// The page from its template: the line "@FIELDS@" replaced by FieldsRoff(). False when the
// template holds no such line.
bool Fill(const std::string& pageTemplate, std::string* page);

} // namespace ManualPage
