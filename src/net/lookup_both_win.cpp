#include "net/lookup_both_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "config/profile_values.h"
#include "frame/messages.h"
#include "text/names.h"

namespace {

// What the lookup's thread finds, shared with the window until both are done.
struct BothLookup {
    std::string asked;
    int error = 0;
    const char *call = "gethostbyname()";
    std::string officialName; // the IPv4 entry's, or the canonical name
    std::string ipv4;         // the IPv4 entry's first address, "" when none
    std::vector<std::string> aliases;
    std::vector<std::string> ipv6;
    std::atomic<bool> finished{false};
};

std::shared_ptr<BothLookup> running;
WPARAM runningNumber = 0;

// An IPv6 address named backward: the name its address record gives.
void LookUpBackward(BothLookup &job, const std::string &literal)
{
    job.call = "getnameinfo()";
    sockaddr_in6 address = {};
    address.sin6_family = AF_INET6;
    ParseIpv6Address(literal, address.sin6_addr.s6_addr);
    char host[NI_MAXHOST] = "";
    job.error = getnameinfo(reinterpret_cast<const sockaddr *>(&address), sizeof address, host,
                            sizeof host, nullptr, 0, NI_NAMEREQD);
    if (job.error != 0)
        return;
    job.officialName = host;
    job.ipv6.push_back(FormatIpv6Address(address.sin6_addr.s6_addr));
}

// A name forward: its IPv4 entry as the design's lookup reads it, then its
// IPv6 addresses.
void LookUpForward(BothLookup &job)
{
    if (const hostent *entry = gethostbyname(job.asked.c_str())) {
        if (entry->h_addrtype == AF_INET && entry->h_addr_list != nullptr &&
            entry->h_addr_list[0] != nullptr) {
            in_addr first;
            std::memcpy(&first, entry->h_addr_list[0], sizeof first);
            job.officialName = entry->h_name != nullptr ? entry->h_name : job.asked;
            job.ipv4 = inet_ntoa(first);
            for (int i = 0; i < LOOKUP_ALIAS_LIMIT && entry->h_aliases[i] != nullptr; ++i)
                job.aliases.push_back(entry->h_aliases[i]);
        }
    } else {
        job.error = WSAGetLastError();
    }
    addrinfo hints = {};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo *found = nullptr;
    if (getaddrinfo(job.asked.c_str(), nullptr, &hints, &found) != 0)
        found = nullptr;
    for (const addrinfo *a = found; a != nullptr; a = a->ai_next) {
        if (a->ai_family != AF_INET6 || a->ai_addrlen < sizeof(sockaddr_in6))
            continue;
        if (job.officialName.empty())
            job.officialName = found->ai_canonname != nullptr ? found->ai_canonname : job.asked;
        job.ipv6.push_back(FormatIpv6Address(
            reinterpret_cast<const sockaddr_in6 *>(a->ai_addr)->sin6_addr.s6_addr));
    }
    if (found != nullptr)
        freeaddrinfo(found);
    if (!job.ipv4.empty() || !job.ipv6.empty())
        job.error = 0;
    else if (job.error == 0)
        job.error = WSANO_DATA; // a name without an address has nothing to show
}

void Run(std::shared_ptr<BothLookup> job, HWND window, WPARAM number)
{
    const std::string literal = Ipv6Literal(job->asked);
    if (!literal.empty())
        LookUpBackward(*job, literal);
    else
        LookUpForward(*job);
    job->finished.store(true, std::memory_order_release);
    PostMessageW(window, UM_BOTHLOOKUP, number, 0);
}

void ShowLine(const std::string &line, QueryPlug &plug)
{
    plug.Received(line.c_str(), line.size(), 0);
}

// "name: address" or "Alias: name", the name passing through `name`.
void ShowNamed(const char *format, const std::string &shown, const std::string &address,
               char *name, size_t nameSize, QueryPlug &plug)
{
    CopyBounded(name, nameSize, shown.c_str());
    char line[LOOKUP_LINE_BUFFER];
    std::snprintf(line, sizeof line, format, name, address.c_str());
    ShowLine(line, plug);
}

} // namespace

bool StartBothLookup(const char *name, HWND window, QueryPlug &plug)
{
    static WPARAM numbers = 0;
    auto job = std::make_shared<BothLookup>();
    job->asked = name;
    try {
        // Detached: it holds its own share of the job and touches nothing
        // else, so it may outlive a cancelled lookup.
        std::thread(Run, job, window, ++numbers).detach();
    } catch (const std::system_error &) {
        plug.Failed(WSAENOBUFS, "CreateThread()");
        return false;
    }
    running = job;
    runningNumber = numbers;
    return true;
}

void ReadBothLookup(WPARAM number, char *name, size_t nameSize, QueryPlug &plug)
{
    if (running == nullptr || number != runningNumber ||
        !running->finished.load(std::memory_order_acquire))
        return; // a cancelled lookup's late answer
    const std::shared_ptr<BothLookup> job = std::move(running);
    if (job->error != 0) {
        plug.Failed(job->error, job->call);
        return;
    }
    if (!job->ipv4.empty()) {
        ShowNamed("%s: %s\r\n", job->officialName, job->ipv4, name, nameSize, plug);
        for (const std::string &alias : job->aliases)
            ShowNamed("Alias: %s\r\n", alias, "", name, nameSize, plug);
    }
    for (const std::string &address : job->ipv6)
        ShowNamed("%s: %s\r\n", job->officialName, address, name, nameSize, plug);
    plug.Closed();
}

void CancelBothLookup()
{
    running.reset();
}
