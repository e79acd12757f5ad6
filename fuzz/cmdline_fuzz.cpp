// ReadCommandLine on any command-line tail. The tail sits in a buffer of
// exactly its size (ASan sees any read or write past it) and the sink splits
// the Finger and WhoIs targets into 256-byte buffers as the program's does.
// What the reader asks of the sink, and the options it sets, must match a
// model written from cmdline.h and the README: tokens are the runs between
// hyphens outside double quotes, with the quotes taken out; f, n, s and w
// need a colon; the character before the next option's single hyphen is cut
// from the argument unless it is a closing quote; -e after -n and a syntax
// error end the reading; -n after -l is refused; at most one query starts.
// CommandLineNamesOption finds a letter exactly where the model has a token
// of it, errors or not.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "app/cmdline.h"
#include "frame/options.h"
#include "fuzz_check.h"
#include "net/finger_request.h"

namespace {

enum { TARGET_BUFFER = 256 }; // QUERY_TEXT_BUFFER of net/query_win.h

class CheckingSink : public CommandLineSink {
public:
    CheckingSink(const char *begin, const char *end) : begin_(begin), end_(end) {}

    std::vector<std::string> calls;

    void SetFingerTarget(char *t) override { Target("finger-target ", t); }
    void SetWhoisTarget(char *t) override { Target("whois-target ", t); }
    void SetSaveFile(const char *p) override { calls.push_back("save " + Argument(p)); }
    void StartNotify(int32_t m) override { calls.push_back("notify " + std::to_string(m)); }
    void FollowReferrals() override { calls.push_back("referrals"); }
    void UseRdap() override { calls.push_back("rdap"); }
    void UseUnicode() override { calls.push_back("unicode"); }
    void UseIpv6() override { calls.push_back("ipv6"); }
    void SyntaxError() override { calls.push_back("syntax-error"); }
    void ExitRefused() override { calls.push_back("exit-refused"); }
    void NotifyRefused() override { calls.push_back("notify-refused"); }
    void StartFinger() override { calls.push_back("start-finger"); }
    void StartWhois() override { calls.push_back("start-whois"); }

private:
    // An argument points into the tail and ends within it.
    std::string Argument(const char *p)
    {
        FUZZ_CHECK(p != nullptr && p >= begin_ && p < end_);
        FUZZ_CHECK(std::memchr(p, '\0', static_cast<size_t>(end_ - p)) != nullptr);
        const std::string s(p);
        FUZZ_CHECK(s.find('"') == std::string::npos);
        return s;
    }

    void Target(const char *what, char *t)
    {
        calls.push_back(what + Argument(t));
        // As ParseFingerTarget does, into the program's buffer sizes.
        SplitFingerTarget(t, user_, sizeof user_, host_, sizeof host_);
        FUZZ_CHECK(std::strlen(user_) < sizeof user_ && std::strlen(host_) < sizeof host_);
    }

    const char *begin_;
    const char *end_;
    char user_[TARGET_BUFFER] = "";
    char host_[TARGET_BUFFER] = "";
};

struct Token {
    std::string text; // without its quotes
    size_t hyphensAfter;
    bool endsInQuote;
};

std::vector<Token> Tokens(const std::string &line)
{
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        const size_t start = i;
        std::string text;
        bool quoted = false;
        for (; i < line.size() && (quoted || line[i] != '-'); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                text += line[i];
        }
        const size_t end = i;
        while (i < line.size() && line[i] == '-')
            ++i;
        if (end > start)
            tokens.push_back({text, i - end, line[end - 1] == '"'});
    }
    return tokens;
}

char LetterOf(const Token &token)
{
    return token.text.empty()
               ? '\0'
               : static_cast<char>(std::tolower(static_cast<unsigned char>(token.text[0])));
}

// The model: what the options of `line` should do.
std::vector<std::string> Expected(const std::string &line, uint32_t &options)
{
    const std::vector<Token> tokens = Tokens(line);
    std::vector<std::string> calls;
    for (size_t k = 0; k < tokens.size(); ++k) {
        const std::string &text = tokens[k].text;
        const char letter = LetterOf(tokens[k]);
        std::string argument;
        if (letter == 'f' || letter == 'n' || letter == 's' || letter == 'w') {
            if (text.size() < 2 || text[1] != ':') {
                calls.push_back("syntax-error");
                return calls;
            }
            argument = text.substr(2);
            if (k + 1 < tokens.size() && tokens[k].hyphensAfter == 1 && !argument.empty() &&
                !tokens[k].endsInQuote)
                argument.pop_back();
        }
        switch (letter) {
        case 'e':
            if (options & OPT_NOTIFY) {
                calls.push_back("exit-refused");
                return calls;
            }
            options |= OPT_EXIT;
            break;
        case 'f':
            options |= OPT_FINGER;
            calls.push_back("finger-target " + argument);
            break;
        case 'j':
            calls.push_back("rdap");
            break;
        case 'l':
            options |= OPT_LONG;
            break;
        case 'n':
            if (options & OPT_LONG) {
                calls.push_back("notify-refused");
                break;
            }
            options |= OPT_NOTIFY;
            {
                const size_t digits = argument.find_first_not_of(" \t");
                const int32_t minutes = ReferenceLeadingInt(
                    digits == std::string::npos ? "" : argument.c_str() + digits);
                calls.push_back("notify " + std::to_string(minutes < 1 ? 1 : minutes));
            }
            break;
        case 'r':
            calls.push_back("referrals");
            break;
        case 's':
            options |= OPT_SAVE;
            calls.push_back("save " + argument);
            break;
        case 'u':
            calls.push_back("unicode");
            break;
        case '6':
            calls.push_back("ipv6");
            break;
        case 'w':
            options |= OPT_WHOIS;
            calls.push_back("whois-target " + argument);
            break;
        default:
            break;
        }
    }
    if (options & OPT_FINGER)
        calls.push_back("start-finger");
    else if (options & OPT_WHOIS)
        calls.push_back("start-whois");
    return calls;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string line = FuzzText(data, size);

    const std::vector<Token> tokens = Tokens(line);
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        bool named = false;
        for (const Token &token : tokens)
            named = named || LetterOf(token) == letter;
        // Either case of the letter asks the same.
        const char asked = (letter & 1) ? static_cast<char>(std::toupper(letter)) : letter;
        FUZZ_CHECK(CommandLineNamesOption(line.c_str(), asked) == named);
    }

    std::vector<char> tail(line.begin(), line.end());
    tail.push_back('\0');

    CheckingSink sink(tail.data(), tail.data() + tail.size());
    uint32_t options = 0;
    ReadCommandLine(tail.data(), options, sink);

    uint32_t expectedOptions = 0;
    const std::vector<std::string> expected = Expected(line, expectedOptions);
    FUZZ_CHECK(options == expectedOptions);
    FUZZ_CHECK(sink.calls == expected);
    const uint32_t known = OPT_FINGER | OPT_WHOIS | OPT_LONG | OPT_NOTIFY | OPT_SAVE | OPT_EXIT;
    FUZZ_CHECK((options & ~known) == 0);
    return 0;
}
