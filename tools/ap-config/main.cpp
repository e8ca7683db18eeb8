// ap-config: the access point's configuration from the command line.
#include "ApConfig.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    ApConfig app;
    return app.Run(args);
}
