// ap-config help and complete-words: texts about ap-config itself, for people and shells.
#include "Session.h"

#include "HelpText.h"

namespace {

class Help : public Command {
public:
    Help()
        : Command("help", "a command's options",
                  "The short summary, or one command's synopsis, example and options (with "
                  "`--json`: as JSON).",
                  "ap-config help set", 0, {}, Arguments::kCommandName) {}
    int Run(Session& s) const override {
        if (s.Arguments().empty()) {
            s.Report() = HelpText::Json();
            return s.Print(HelpText::Summary());
        }
        std::string text = HelpText::Of(s.Arguments());
        if (text.empty())
            return s.Fail(kExitRefused, "unknown command " +
                                            ConfigFields::Excerpt(s.Arguments().front()) +
                                            " (see ap-config --help)");
        s.Report() = HelpText::JsonOf(s.Arguments());
        return s.Print(text);
    }
};

// The words of the shell completion (packaging/linux/ap-config.bash-completion).
class CompleteWords : public Command {
public:
    CompleteWords()
        : Command("complete-words", "", "", "", kHidden | kPrintsForPeople, {}, Arguments::kWords) {
    }
    int Run(Session& s) const override {
        std::string text;
        for (const std::string& w : HelpText::Completions(s.Arguments()))
            text += w + "\n";
        return s.Print(text);
    }
};

} // namespace

const Command& HelpCommand() {
    static const Help command;
    return command;
}

const Command& CompleteWordsCommand() {
    static const CompleteWords command;
    return command;
}
