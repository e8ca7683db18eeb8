#pragma once

#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
} // namespace CLI
class ApConfig;

// ap-config's commands and options, each declared once (in CommandLine.cpp) with its
// description: the parser, the --help summary, `help COMMAND` and the words the shell
// completion offers are all built from these declarations.
class CommandLine {
public:
    // Binds every option to its member of app.
    explicit CommandLine(ApConfig& app);
    ~CommandLine();

    // Parses args (without the program name) into the members and sets app.m_words to the
    // command and its arguments. False (the reason already on standard error) on a usage
    // mistake: an unknown option, or one the command does not take.
    bool Parse(const std::vector<std::string>& args);

    // The short summary of --help.
    std::string Summary() const;
    // One command's synopsis, description, example and options; empty for an unknown one.
    std::string HelpOf(const std::vector<std::string>& command) const;
    // The words a shell completes after `ap-config` and the given words: the commands, or
    // a command's options and, for get and set, the field names; after an option its
    // values, after set's FIELD= the field's values, after --device the device names (none
    // opened); "<file>" and "<folder>" where the shell lists file or folder names.
    std::vector<std::string> Completions(const std::vector<std::string>& words) const;

private:
    // The reason for a refused command line, naming the argument.
    std::string Explain(const CLI::ParseError& e) const;

    ApConfig& m_config;
    std::unique_ptr<CLI::App> m_app;
};
