// mkhelp: builds the program's help file from the readable help text kept in
// the repository (help/pellwick.txt), so the help can be reviewed in a diff
// and rebuilt on any machine without a help compiler.
//
//   mkhelp IN.txt OUT.hlp [OUT.cnt]
//   mkhelp --chm IN.txt DIR/NAME.hhp
//
// The second form writes the sources of the HTML Help file NAME.chm into
// DIR (which must exist): the pages, contents, index and the project that
// a help compiler turns into the .chm.
// The markup is described in help_source.h. Plain standard C++17.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "chm_writer.h"
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

help::Source Parse(const std::string &path)
{
    try {
        return help::ParseSource(ReadWhole(path));
    } catch (const help::SourceError &e) {
        throw std::runtime_error(path + ":" + std::to_string(e.line) + ": " + e.what());
    }
}

void WriteChm(const std::string &in, const std::string &hhp)
{
    const std::string base = BaseName(hhp);
    const size_t dot = base.rfind(".hhp");
    if (dot == std::string::npos || dot == 0 || dot + 4 != base.size())
        throw std::runtime_error(hhp + ": the project's name must end in .hhp");
    const std::string dir = hhp.substr(0, hhp.size() - base.size());
    // The project comes last, so that it is there only beside a whole set.
    for (const help::ProjectFile &f : help::WriteChmProject(Parse(in), base.substr(0, dot)))
        WriteWhole(dir + f.name, f.data);
}

} // namespace

int main(int argc, char **argv)
{
    const bool chm = argc == 4 && std::strcmp(argv[1], "--chm") == 0;
    if (!chm && argc != 3 && argc != 4) {
        std::fputs("usage: mkhelp IN.txt OUT.hlp [OUT.cnt]\n"
                   "       mkhelp --chm IN.txt DIR/NAME.hhp\n",
                   stderr);
        return 2;
    }
    try {
        if (chm) {
            WriteChm(argv[2], argv[3]);
            return 0;
        }
        const help::Source source = Parse(argv[1]);
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
