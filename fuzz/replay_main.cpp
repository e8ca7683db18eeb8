// Runs a fuzz target's function over every file in the folders named on the command line:
// the seed corpus and the inputs that once crashed, as an ordinary test.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        DIR* dir = opendir(argv[i]);
        if (!dir)
            continue;
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            std::string path = std::string(argv[i]) + "/" + entry->d_name;
            FILE* f = std::fopen(path.c_str(), "rb");
            if (!f)
                continue;
            std::vector<uint8_t> bytes;
            int c;
            while ((c = std::fgetc(f)) != EOF)
                bytes.push_back(static_cast<uint8_t>(c));
            std::fclose(f);
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++files;
        }
        closedir(dir);
    }
    std::printf("%d inputs replayed\n", files);
    return files > 0 ? 0 : 1;
}
