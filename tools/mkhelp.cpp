// mkhelp: builds the program's help file from the readable help text kept in
// the repository (help/pellwick.txt), so the help can be reviewed in a diff
// and rebuilt on any machine without a help compiler.
//
//   mkhelp IN.txt OUT.hlp [OUT.cnt]
//
// The markup is described in help_source.h. Plain standard C++17.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "help_source.h"
#include "help_writer.h"

namespace {

std::string ReadWhole(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path + ": cannot read: " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes beside the target and renames, so a failed run never leaves a
// truncated help file behind.
void WriteWhole(const std::string &path, const std::string &data)
{
    const std::string tmp = path + ".tmp";
    std::FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        throw std::runtime_error(tmp + ": cannot create: " + std::strerror(errno));
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::remove(tmp.c_str());
        throw std::runtime_error(tmp + ": write failed");
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
#ifdef _WIN32
        // The C runtime's rename will not replace an existing file.
        std::remove(path.c_str());
        err = std::rename(tmp.c_str(), path.c_str()) == 0 ? 0 : errno;
#endif
        if (err != 0) {
            std::remove(tmp.c_str());
            throw std::runtime_error(path + ": cannot replace: " + std::strerror(err));
        }
    }
}

// The file name without its folders, as the contents file names the .hlp.
std::string BaseName(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::fputs("usage: mkhelp IN.txt OUT.hlp [OUT.cnt]\n", stderr);
        return 2;
    }
    try {
        help::Source source;
        try {
            source = help::ParseSource(ReadWhole(argv[1]));
        } catch (const help::SourceError &e) {
            throw std::runtime_error(std::string(argv[1]) + ":" + std::to_string(e.line) + ": " +
                                     e.what());
        }
        const std::vector<uint8_t> hlp = help::WriteHelpFile(source);
        WriteWhole(argv[2], std::string(hlp.begin(), hlp.end()));
        if (argc == 4)
            WriteWhole(argv[3], help::WriteContentsFile(source, BaseName(argv[2])));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mkhelp: %s\n", e.what());
        return 1;
    }
    return 0;
}
