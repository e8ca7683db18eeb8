// ap-config: the access point's configuration from the command line.
#include "Session.h"
#include "platform/WideText.h"

#include <string>
#include <vector>

#ifdef _WIN32
// The command line as the system holds it (UTF-16), not through the ANSI code page.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(widetext::Utf8(argv[i]));
    Session app;
    return app.Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    Session app;
    return app.Run(args);
}
#endif
