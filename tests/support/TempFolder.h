#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

// A fresh temporary folder that is also the working folder while the object lives.
class TempWorkingFolder {
public:
    TempWorkingFolder() {
        namespace fs = std::filesystem;
        m_old = fs::current_path();
        std::random_device random;
        for (;;) {
            m_path = fs::temp_directory_path() / ("ap-cwd-" + std::to_string(random()));
            if (fs::create_directory(m_path))
                break;
        }
        fs::current_path(m_path);
    }
    ~TempWorkingFolder() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::current_path(m_old, ignored);
        // Read-only leftovers of a test must not stop the removal.
        for (auto& entry : fs::recursive_directory_iterator(m_path, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_path, ignored);
    }
    std::string Path() const { return m_path.string(); }

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
    std::filesystem::path m_path, m_old;
};
