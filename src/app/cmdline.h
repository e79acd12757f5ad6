// Reading the command line: the tokenizer and the options. Portable; what
// the options do to the running program goes through CommandLineSink.
#pragma once

#include <cstdint>

// What the options ask of the program, in the order they are read.
class CommandLineSink {
public:
    virtual ~CommandLineSink() = default;
    // -f: split "[user@]host" into the Finger user and host.
    virtual void SetFingerTarget(char *target) = 0;
    // -w: split "query@server" the same way into the query and the server.
    virtual void SetWhoisTarget(char *target) = 0;
    // -s: the file the answer is saved to.
    virtual void SetSaveFile(const char *path) = 0;
    // -n: notification every `minutes` minutes (at least 1).
    virtual void StartNotify(int32_t minutes) = 0;
    // -r: follow WhoIs referrals in this run.
    virtual void FollowReferrals() = 0;
    // -j: answer WhoIs queries over RDAP in this run.
    virtual void UseRdap() = 0;
    // -u: Unicode text in this run.
    virtual void UseUnicode() = 0;
    // -6: IPv6 beside IPv4 in this run.
    virtual void UseIpv6() = 0;
    // The three refusals; each shows its box.
    virtual void SyntaxError() = 0;
    virtual void ExitRefused() = 0;
    virtual void NotifyRefused() = 0;
    // The one query the command line starts, after its last option.
    virtual void StartFinger() = 0;
    virtual void StartWhois() = 0;
};

// Reads the command-line tail (modified in place, as the tokenizer cuts it)
// into `options` (the OPT_ bits) and the sink's actions, then starts at most
// one query. Processing stops early at a syntax error or a refused -e; the
// options read until then keep their effect but no query starts.
//
// The tail is cut at every '-' outside double quotes: an argument ends at the
// next such '-', and the one character before the next option's '-'
// (normally the blank between options) is not part of the argument. Text in
// double quotes is taken whole, '-' and blanks included, and the quotes are
// taken out, so a host or file name with a hyphen is given in quotes:
// -w:example.com@"whois.verisign-grs.com" or -s:"C:\My Files\whois-out.txt".
// Unquoted, such a name still cannot be given. An unclosed quote runs to the
// end of the line. The character dropped before the next option's '-' is
// never quoted text: when it is a closing quote (-s:"a b"-e) the quote is
// what goes and the file is "a b"; a '-' inside quotes cuts nothing, so
// nothing is dropped before it. The tail may hold UTF-8 or the code page's
// bytes: '"' and '-' are ASCII and never part of another character in
// either.
void ReadCommandLine(char *tail, uint32_t &options, CommandLineSink &sink);

// Whether an option with this letter (in either case) is on the tail at all,
// tokenized as ReadCommandLine does, quotes and all, but without reading any
// option, calling a sink or stopping at an error. The tail is not changed.
// Asked before the tail is read, for what must be known first: -u (the line
// is in UTF-8 or must become the code page's bytes) and -e (an error ends
// the program).
bool CommandLineNamesOption(const char *tail, char letter);

// The part of a whole command line (as GetCommandLineW gives it, in UTF-8)
// after the program's name, as WinMain's lpCmdLine has it: the name is a
// quoted run up to its closing quote, or else a run up to the first blank or
// tab; the blanks and tabs after it are skipped.
const char *CommandLineTail(const char *line);

// The leading whole number of -n: blanks skipped, an optional sign, digits.
int32_t ParseMinutes(const char *text);
