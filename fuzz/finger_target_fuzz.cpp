// SplitFingerTarget, the portable half of ParseFingerTarget (net/query_win.cpp
// only passes it szUser and szHost), and the request bytes built from its
// user part.
//
// Input: byte 0 = flags (bit 0 long output, bit 1 notify) and, in bits 2-7,
// the user buffer's size (0 for the program's 256); byte 1 = the host
// buffer's size (0 for 256); the rest = the "[user@]host" text.
// Both buffers and the text are exactly sized, so ASan sees any overrun.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "net/finger_request.h"

namespace {

enum { PROGRAM_BUFFER = 256 }; // QUERY_TEXT_BUFFER of net/query_win.h

// The text in a buffer of `size` bytes: terminated inside it.
std::string Held(const char *buf, size_t size)
{
    const void *nul = std::memchr(buf, '\0', size);
    FUZZ_CHECK(nul != nullptr);
    return std::string(buf, static_cast<size_t>(static_cast<const char *>(nul) - buf));
}

std::string Cut(const std::string &s, size_t size) { return s.substr(0, size - 1); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const bool longOutput = (data[0] & 1) != 0;
    const bool notify = (data[0] & 2) != 0;
    const size_t userSize = (data[0] >> 2) == 0 ? PROGRAM_BUFFER : data[0] >> 2;
    const size_t hostSize = data[1] == 0 ? PROGRAM_BUFFER : data[1];
    const std::string target = FuzzText(data + 2, size - 2);

    std::vector<char> text(target.begin(), target.end());
    text.push_back('\0');
    // The user from an earlier query, which an empty target keeps.
    const std::string earlierUser = Cut("earlier", userSize);
    std::unique_ptr<char[]> user(new char[userSize]);
    std::unique_ptr<char[]> host(new char[hostSize]);
    std::memcpy(user.get(), earlierUser.c_str(), earlierUser.size() + 1);
    std::memset(host.get(), 'h', hostSize - 1);
    host[hostSize - 1] = '\0';

    SplitFingerTarget(text.data(), user.get(), userSize, host.get(), hostSize);
    const std::string u = Held(user.get(), userSize);
    const std::string h = Held(host.get(), hostSize);

    const size_t at = target.rfind('@');
    std::string expectedText = target;
    if (target.empty()) {
        FUZZ_CHECK(h.empty());
        FUZZ_CHECK(u == earlierUser);
    } else if (at == std::string::npos) {
        FUZZ_CHECK(u.empty());
        FUZZ_CHECK(h == Cut(target, hostSize));
    } else {
        FUZZ_CHECK(u == Cut(target.substr(0, at), userSize));
        FUZZ_CHECK(h == Cut(target.substr(at + 1), hostSize));
        FUZZ_CHECK(h.find('@') == std::string::npos);
        expectedText[at] = '\0'; // the at sign is overwritten, nothing else
        // Nothing cut: user, at sign and host give the target back.
        if (u.size() == at && h.size() == target.size() - at - 1)
            FUZZ_CHECK(u + "@" + h == target);
    }
    FUZZ_CHECK(std::string(text.data(), target.size()) == expectedText);

    // The Finger request: "/W " for long output, the user unless empty or
    // notifying, then CR LF, each its own write.
    std::vector<std::string> expected;
    if (longOutput)
        expected.push_back("/W ");
    if (!u.empty() && !notify)
        expected.push_back(u);
    expected.push_back("\r\n");
    FUZZ_CHECK(FingerRequestParts(longOutput, notify, user.get()) == expected);
    FUZZ_CHECK(FingerRequestParts(longOutput, notify, nullptr).back() == "\r\n");

    // WhoIs sends the same split's first part as its query.
    FUZZ_CHECK(WhoisRequestParts(user.get()) == (std::vector<std::string>{u, "\r\n"}));
    FUZZ_CHECK(WhoisRequestParts(nullptr) == (std::vector<std::string>{"", "\r\n"}));
    return 0;
}
