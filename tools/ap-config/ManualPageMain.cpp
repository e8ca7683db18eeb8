// ap-config-manual: the manual page of ap-config from its template, with the field reference
// made from the program's own registry and tables (at build time, on Linux); --markdown
// prints the guide's tables as docs/ap-config.md holds them.
#include "ManualPage.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--markdown") {
        std::cout << ManualPage::CommandsMarkdown() << "\n"
                  << ManualPage::OptionsMarkdown() << "\n"
                  << ManualPage::ExitCodesMarkdown() << "\n"
                  << ManualPage::FieldsMarkdown();
        return std::cout.flush() ? 0 : 1;
    }
    if (argc != 3) {
        std::cerr << "usage: ap-config-manual TEMPLATE OUTPUT | --markdown\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string pageTemplate((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    std::string page;
    if (!in || !ManualPage::Fill(pageTemplate, &page)) {
        std::cerr << "ap-config-manual: " << argv[1]
                  << " lacks a line of @COMMANDS@, @OPTIONS@, @EXIT_STATUS@, @FIELDS@\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    if (out << page && out.flush())
        return 0;
    // No half page for the next build to take as done.
    out.close();
    std::remove(argv[2]);
    std::cerr << "ap-config-manual: cannot write " << argv[2] << "\n";
    return 1;
}
