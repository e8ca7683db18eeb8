#pragma once

#include <string>

// The text the system hands the program, as UTF-8. Linux hands UTF-8 already; Windows hands
// UTF-16 to the wide calls (the command line through wmain, the environment through
// GetEnvironmentVariableW, file names to the wholefile calls and the profile services),
// never the ANSI code page of the narrow ones; platform/WideText.h converts.
namespace systemtext {

// The environment variable's value; false when it is not set.
bool Environment(const char* name, std::string* value);

} // namespace systemtext
