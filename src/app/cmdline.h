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
// The tail is cut at every '-': an argument ends at the next '-', so a host
// name with a hyphen cannot be given, and the one character before the next
// option's '-' (normally the blank between options) is not part of the
// argument.
void ReadCommandLine(char *tail, uint32_t &options, CommandLineSink &sink);

// The leading whole number of -n: blanks skipped, an optional sign, digits.
int32_t ParseMinutes(const char *text);
