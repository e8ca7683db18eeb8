#pragma once

#ifdef _WIN32
#include <string>

// Texts the programs hold as UTF-8 (names of files, the command line, the console's text)
// and the system's wide calls take as UTF-16: the one conversion each way.
namespace widetext {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const wchar_t* wide);

} // namespace widetext
#endif
