#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

// A fresh temporary folder that is also the working folder while the object lives.
class TempWorkingFolder {
public:
    TempWorkingFolder() {
        char pattern[] = "/tmp/ap-cwd-XXXXXX";
        if (!mkdtemp(pattern) || !getcwd(m_old, sizeof(m_old)) || chdir(pattern) != 0)
            throw std::runtime_error("cannot make a temporary working folder");
        m_path = pattern;
    }
    ~TempWorkingFolder() {
        if (chdir(m_old) == 0)
            std::system(("chmod -R u+w '" + m_path + "'; rm -rf '" + m_path + "'").c_str());
    }
    const std::string& Path() const { return m_path; }

    static void Write(const std::string& name, const std::string& content) {
        std::ofstream(name, std::ios::binary) << content;
    }
    static std::string Read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string m_path;
    char m_old[4096] = {};
};
