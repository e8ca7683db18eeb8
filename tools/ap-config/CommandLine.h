#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
class ParseError;
} // namespace CLI
class Session;
enum class Opt;

// The option parser (CLI11), declared from the registry (Command.h): every option at the top,
// so that it may stand before or after the command, and each command with its arguments.
// Which command takes which option is checked after the parse, from the registry too.
class CommandLine {
public:
    explicit CommandLine(Session& session);
    ~CommandLine();

    // Parses args (without the program name) into the session: its command, the options
    // given with their values, the command's arguments. False (the reason already reported)
    // on a usage mistake: an unknown option, a value missing, an option given twice or one
    // the command does not take.
    bool Parse(const std::vector<std::string>& args);

private:
    std::string Explain(const CLI::ParseError& e) const;
    // The usage mistakes CLI11 leaves to the caller; empty when there is none.
    std::string Misplaced() const;

    Session& m_session;
    std::unique_ptr<CLI::App> m_app;
    std::map<Opt, CLI::Option*> m_options;
    std::map<Opt, std::vector<std::string>> m_values;
    std::vector<std::string> m_arguments;
};
