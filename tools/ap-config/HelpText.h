#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

class Command;

// The texts ap-config prints about itself, made from the registry (Command.h), the option
// table, the exit codes and the field reference: --help, help COMMAND, --version, their
// --json documents, and the words of the shell completion.
namespace HelpText {

std::string Summary();
nlohmann::ordered_json Json();
// One command's synopsis, summary, example and options; empty for an unknown name ("keys"
// stands for "keys export").
std::string Of(const std::vector<std::string>& words);
nlohmann::ordered_json JsonOf(const std::vector<std::string>& words);
std::string Version();
nlohmann::ordered_json VersionJson();

// The words a shell completes after `ap-config` and the given words: the commands, the
// options (the command's, then those of every command) and, for get and set, the field
// names; after an option its values, after FIELD= the field's values, after --device the
// device names (none opened); "<file>" and "<folder>" where the shell lists file or folder
// names.
std::vector<std::string> Completions(const std::vector<std::string>& words);

} // namespace HelpText
