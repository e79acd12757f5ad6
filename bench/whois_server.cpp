// A WhoIs server for the benchmarks, run natively on loopback inside the
// sandbox: the same answer reaches Debian's whois client and Pellwick. The
// query names the answer's size ("4k", "1m", "1024k"), "u" before it the
// UTF-8 answer ("u1m"); the answers are made before the server listens, so
// that no client waits for one to be made.
//   bench_whois_server IP SIZES   serve on IP:43 until killed; SIZES "4k,1m,u1m"
//   bench_whois_server --print SIZE   write that answer to stdout instead
// Prints "listening" once connections are accepted.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "sample_answer.h"

namespace {

bool SendAll(int s, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = send(s, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The request line without its line end, or "" when none came in 5 s.
std::string ReadQuery(int s)
{
    std::string line;
    char c;
    pollfd p = {s, POLLIN, 0};
    while (line.size() < 1024 && poll(&p, 1, 5000) == 1 && recv(s, &c, 1, 0) == 1) {
        if (c == '\n')
            break;
        if (c != '\r')
            line += c;
    }
    return line;
}

// After the answer, the server reads until the client closes: closing with
// unread bytes would reset the connection and could cut the answer short.
void DrainAndClose(int s)
{
    shutdown(s, SHUT_WR);
    char buffer[4096];
    pollfd p = {s, POLLIN, 0};
    while (poll(&p, 1, 5000) == 1 && recv(s, buffer, sizeof buffer, 0) > 0) {
    }
    close(s);
}

int Serve(const char *ip, const std::string &sizeList)
{
    // By kind and size, so that "1m" and "1024k" ask for the same answer.
    std::map<std::pair<bool, size_t>, std::string> answers;
    size_t at = 0;
    while (at <= sizeList.size()) {
        const size_t comma = std::min(sizeList.find(',', at), sizeList.size());
        const std::string name = sizeList.substr(at, comma - at);
        const ServedAnswer answer = ParseServedAnswer(name);
        if (answer.size == 0) {
            std::fprintf(stderr, "bench_whois_server: not a size: %s\n", name.c_str());
            return 2;
        }
        answers[{answer.unicode, answer.size}] = MakeServedAnswer(answer);
        at = comma + 1;
    }

    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(43);
    if (inet_pton(AF_INET, ip, &address.sin_addr) != 1 ||
        bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listener, 16) != 0) {
        std::perror("bench_whois_server");
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    for (;;) {
        const int s = accept(listener, nullptr, nullptr);
        if (s < 0)
            continue;
        const std::string query = ReadQuery(s);
        const ServedAnswer asked = ParseServedAnswer(query);
        const auto found = answers.find({asked.unicode, asked.size});
        if (found != answers.end())
            SendAll(s, found->second);
        else
            SendAll(s, "No match for \"" + query + "\".\n");
        DrainAndClose(s);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--print") == 0) {
        const ServedAnswer served = ParseServedAnswer(argv[2]);
        if (served.size == 0)
            return 2;
        const std::string answer = MakeServedAnswer(served);
        return std::fwrite(answer.data(), 1, answer.size(), stdout) == answer.size() ? 0 : 1;
    }
    if (argc == 3)
        return Serve(argv[1], argv[2]);
    std::fprintf(stderr, "usage: bench_whois_server IP SIZES | --print SIZE\n");
    return 2;
}
