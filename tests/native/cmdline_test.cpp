// The command-line tokenizer and option reader.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/cmdline.h"
#include "frame/options.h"

namespace {

// Records what the options ask for, as text, in order.
class Recorder : public CommandLineSink {
public:
    std::vector<std::string> calls;
    void SetFingerTarget(char *t) override { calls.push_back("finger-target " + std::string(t)); }
    void SetWhoisTarget(char *t) override { calls.push_back("whois-target " + std::string(t)); }
    void SetSaveFile(const char *p) override { calls.push_back("save " + std::string(p)); }
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
};

struct Outcome {
    uint32_t options;
    std::vector<std::string> calls;
};

Outcome Read(const std::string &line)
{
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    Recorder r;
    uint32_t options = 0;
    ReadCommandLine(text.data(), options, r);
    return {options, r.calls};
}

using Calls = std::vector<std::string>;

TEST(CommandLine, OptionsAndTheirActions)
{
    struct Case {
        const char *line;
        uint32_t options;
        Calls calls;
    } cases[] = {
        {"-f:user@host", OPT_FINGER, {"finger-target user@host", "start-finger"}},
        {"-F:user@host", OPT_FINGER, {"finger-target user@host", "start-finger"}},
        {"-f:host", OPT_FINGER, {"finger-target host", "start-finger"}},
        {"-f:user@", OPT_FINGER, {"finger-target user@", "start-finger"}},
        {"-w:domain@server", OPT_WHOIS, {"whois-target domain@server", "start-whois"}},
        {"-w:server", OPT_WHOIS, {"whois-target server", "start-whois"}},
        {"-f:user@host -l -s:c:\\out.txt -e", OPT_FINGER | OPT_LONG | OPT_SAVE | OPT_EXIT,
         {"finger-target user@host", "save c:\\out.txt", "start-finger"}},
        {"-n:5 -f:user@host", OPT_NOTIFY | OPT_FINGER,
         {"notify 5", "finger-target user@host", "start-finger"}},
        {"-l", OPT_LONG, {}},
        {"-x -f:user@host", OPT_FINGER, {"finger-target user@host", "start-finger"}},
        {"text before -f:h", OPT_FINGER, {"finger-target h", "start-finger"}},
        {"-f:a@b -w:domain@server", OPT_FINGER | OPT_WHOIS,
         {"finger-target a@b", "whois-target domain@server", "start-finger"}},
        {"-R -w:domain@server:4343 -s:out -e", OPT_WHOIS | OPT_SAVE | OPT_EXIT,
         {"referrals", "whois-target domain@server:4343", "save out", "start-whois"}},
        {"-j -r -w:example.com@whois.test -s:out -e", OPT_WHOIS | OPT_SAVE | OPT_EXIT,
         {"rdap", "referrals", "whois-target example.com@whois.test", "save out", "start-whois"}},
        {"-U -w:example.com@whois.test", OPT_WHOIS,
         {"unicode", "whois-target example.com@whois.test", "start-whois"}},
        {"-6 -f:bob@2001:db8::43", OPT_FINGER,
         {"ipv6", "finger-target bob@2001:db8::43", "start-finger"}},
        {"-w:x@[2001:db8::43]:4321 -6", OPT_WHOIS,
         {"whois-target x@[2001:db8::43]:4321", "ipv6", "start-whois"}},
        {"", 0, {}},
        {"---", 0, {}},
    };
    for (const Case &c : cases) {
        const Outcome r = Read(c.line);
        EXPECT_EQ(r.options, c.options) << c.line;
        EXPECT_EQ(r.calls, c.calls) << c.line;
    }
}

TEST(CommandLine, TheCharacterBeforeTheNextOptionIsCutFromTheArgument)
{
    EXPECT_EQ(Read("-f:user@host -e").calls[0], "finger-target user@host");
    EXPECT_EQ(Read("-f:user@host  -e").calls[0], "finger-target user@host ");
    EXPECT_EQ(Read("-f:user@host-e").calls[0], "finger-target user@hos");
    // A hyphen inside a host name ends the argument; the rest is an option
    // of its own ("n" here, and without a colon that is a syntax error).
    EXPECT_EQ(Read("-f:my-name.example").calls,
              (Calls{"finger-target m", "syntax-error"}));
    // Runs of hyphens are one cut: the dropped character is a hyphen.
    EXPECT_EQ(Read("-f:host --e").calls[0], "finger-target host ");
    // An empty argument has nothing to cut.
    EXPECT_EQ(Read("-s:-e").calls, (Calls{"save ", }));
}

TEST(CommandLine, QuotedTextIsTakenWholeWithoutItsQuotes)
{
    struct Case {
        const char *line;
        uint32_t options;
        Calls calls;
    } cases[] = {
        {"-w:google.com@\"whois.verisign-grs.com\"", OPT_WHOIS,
         {"whois-target google.com@whois.verisign-grs.com", "start-whois"}},
        {"-w:\"example.com@whois.afilias-grs.info\" -e", OPT_WHOIS | OPT_EXIT,
         {"whois-target example.com@whois.afilias-grs.info", "start-whois"}},
        {"-s:\"C:\\My Files\\whois-out.txt\"", OPT_SAVE, {"save C:\\My Files\\whois-out.txt"}},
        {"-s:C:\\\"My Files\"\\out.txt -e", OPT_SAVE | OPT_EXIT, {"save C:\\My Files\\out.txt"}},
        {"-s:\" \" -e", OPT_SAVE | OPT_EXIT, {"save  "}},
        {"-s:\"\" -e", OPT_SAVE | OPT_EXIT, {"save "}},
        {"-f:\"\"", OPT_FINGER, {"finger-target ", "start-finger"}},
        {"-\"\"-e", OPT_EXIT, {}},
        // Unclosed, the quote runs to the end: there is no -e.
        {"-s:\"a b -e", OPT_SAVE, {"save a b -e"}},
        // A '-' in quotes starts no option, even outside an argument.
        {"\"x -e\" -l", OPT_LONG, {}},
        // The trim before the next option takes an unquoted character, or
        // the closing quote itself, never quoted text.
        {"-s:\"a b\" -e", OPT_SAVE | OPT_EXIT, {"save a b"}},
        {"-s:\"a b\"-e", OPT_SAVE | OPT_EXIT, {"save a b"}},
        {"-s:\"x-y\"  -e", OPT_SAVE | OPT_EXIT, {"save x-y "}},
        {"-s:a\" \"b-e", OPT_SAVE | OPT_EXIT, {"save a "}},
        {"-s:\"a\" --e", OPT_SAVE | OPT_EXIT, {"save a "}},
    };
    for (const Case &c : cases) {
        const Outcome r = Read(c.line);
        EXPECT_EQ(r.options, c.options) << c.line;
        EXPECT_EQ(r.calls, c.calls) << c.line;
    }
}

TEST(CommandLine, TheTailFollowsTheProgramsName)
{
    struct Case {
        const char *line, *tail;
    } cases[] = {
        {"\"C:\\Program Files\\Pellwick32\\pellwick.exe\" -f:x", "-f:x"},
        {"pellwick.exe -f:x -e", "-f:x -e"},
        {"pellwick.exe\t \t-f:x", "-f:x"},
        {"\"C:\\a b\\pellwick.exe\"-f:x", "-f:x"},
        {"\"C:\\a b\\pellwick.exe\"", ""},
        {"pellwick.exe  ", ""},
        {"\"unclosed -f:x", ""},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_STREQ(CommandLineTail(c.line), c.tail) << c.line;
}

TEST(CommandLine, AnOptionIsNamedWhereReadingWouldSeeIt)
{
    struct Case {
        const char *tail;
        char letter;
        bool named;
    } cases[] = {
        {"-x -E", 'e', true},
        {"-x -e", 'E', true},
        {"-f:\"a-e\"", 'e', false},
        {"-f:a-e", 'e', true},
        {"-f user@host -u", 'u', true}, // past a syntax error
        {"-n:5 -e -u", 'u', true},      // past a refused -e
        {"use -l", 'u', true},          // a first word is an option too
        {"-s:\"C:\\a -u\" -l", 'u', false},
        {"-l -\"\"", 'u', false},
        {"", 'e', false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CommandLineNamesOption(c.tail, c.letter), c.named) << c.tail << " " << c.letter;
}

TEST(CommandLine, RefusalsStopOrSkipAsTheyShould)
{
    // No colon: syntax error, nothing starts.
    Outcome r = Read("-f user@host");
    EXPECT_EQ(r.calls, (Calls{"syntax-error"}));
    // Notify after long output is refused; the long query still runs.
    r = Read("-l -n:5 -f:user@host");
    EXPECT_EQ(r.options, OPT_LONG | OPT_FINGER);
    EXPECT_EQ(r.calls, (Calls{"notify-refused", "finger-target user@host", "start-finger"}));
    // Exit after notify is refused and ends processing; the timer stays.
    r = Read("-n:5 -e -f:user@host");
    EXPECT_EQ(r.options, OPT_NOTIFY);
    EXPECT_EQ(r.calls, (Calls{"notify 5", "exit-refused"}));
    // The checks see only what came before: these orders are accepted.
    r = Read("-e -n:5 -f:h");
    EXPECT_EQ(r.options, OPT_EXIT | OPT_NOTIFY | OPT_FINGER);
    r = Read("-n:5 -l -f:h");
    EXPECT_EQ(r.options, OPT_NOTIFY | OPT_LONG | OPT_FINGER);
}

TEST(CommandLine, NotifyIntervalsBelowAMinuteAreRaisedToOne)
{
    EXPECT_EQ(Read("-n:0").calls, (Calls{"notify 1"}));
    EXPECT_EQ(Read("-n:abc").calls, (Calls{"notify 1"}));
    EXPECT_EQ(Read("-n:  7min").calls, (Calls{"notify 7"}));
    EXPECT_EQ(Read("-n:+3").calls, (Calls{"notify 3"}));
    // "-n:-5": the minus is a cut, so the argument is empty.
    EXPECT_EQ(Read("-n:-5").calls, (Calls{"notify 1"}));
    EXPECT_EQ(ParseMinutes(" \t42"), 42);
    EXPECT_EQ(ParseMinutes("99999999999"), INT32_MAX);
}

TEST(CommandLine, ALongTargetReachesTheSinkWhole)
{
    // The sink cuts it to its buffers; the reader neither cuts nor overruns.
    const std::string target(300, 'u');
    const Outcome r = Read("-f:" + target + "@host");
    EXPECT_EQ(r.calls[0], "finger-target " + target + "@host");
}

} // namespace
