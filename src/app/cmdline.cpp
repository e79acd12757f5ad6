#include "app/cmdline.h"

#include <cctype>

#include "config/profile_values.h"
#include "frame/options.h"

namespace {

// Where one token lies in the tail, found without changing it: the tokens
// are the runs between hyphens outside double quotes (a quote opens or
// closes a quoted run wherever it stands); runs of hyphens are one cut and
// no run is empty.
struct Span {
    const char *begin; // null when nothing is left
    const char *end;   // the hyphen that cuts the token, or the terminator
};

Span NextSpan(const char *cursor)
{
    while (*cursor == '-')
        ++cursor;
    if (*cursor == '\0')
        return {nullptr, cursor};
    const char *end = cursor;
    bool quoted = false;
    for (; *end != '\0' && (quoted || *end != '-'); ++end) {
        if (*end == '"')
            quoted = !quoted;
    }
    return {cursor, end};
}

// The option letter a token names: its first character that is not a quote,
// in lower case; '\0' when it has none.
char LetterOf(const Span &span)
{
    for (const char *p = span.begin; p != span.end; ++p) {
        if (*p != '"')
            return static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    }
    return '\0';
}

// Takes the quotes out of the token in place and ends it there. Returns its
// terminator.
char *Unquote(char *begin, const char *end)
{
    char *out = begin;
    for (const char *p = begin; p != end; ++p) {
        if (*p != '"')
            *out++ = *p;
    }
    *out = '\0';
    return out;
}

bool TakesArgument(char letter)
{
    return letter == 'f' || letter == 'n' || letter == 's' || letter == 'w';
}

} // namespace

int32_t ParseMinutes(const char *text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return ParseLeadingInt(text);
}

void ReadCommandLine(char *tail, uint32_t &options, CommandLineSink &sink)
{
    // The spans point into the tail, so each token is changed only after the
    // one behind it has been found.
    Span span = NextSpan(tail);
    while (span.begin != nullptr) {
        const Span next = NextSpan(span.end);
        const char letter = LetterOf(span);
        // The character before the next option's single '-' belongs to
        // neither option; a closing quote there is taken out anyway, so the
        // quoted text before it stays whole.
        const bool trim =
            next.begin != nullptr && next.begin == span.end + 1 && span.end[-1] != '"';
        char *token = tail + (span.begin - tail);
        char *end = Unquote(token, span.end);
        char *argument = nullptr;
        if (TakesArgument(letter)) {
            if (token[1] != ':') {
                sink.SyntaxError();
                return;
            }
            argument = token + 2;
            if (trim && end > argument)
                end[-1] = '\0';
        }
        switch (letter) {
        case 'e':
            if (options & OPT_NOTIFY) {
                sink.ExitRefused();
                return;
            }
            options |= OPT_EXIT;
            break;
        case 'f':
            options |= OPT_FINGER;
            sink.SetFingerTarget(argument);
            break;
        case 'j':
            sink.UseRdap();
            break;
        case 'l':
            options |= OPT_LONG;
            break;
        case 'n':
            if (options & OPT_LONG) {
                sink.NotifyRefused();
                break;
            }
            options |= OPT_NOTIFY;
            {
                // An interval below a minute would make the countdown divide
                // by zero or never come round; it is raised to one minute.
                const int32_t minutes = ParseMinutes(argument);
                sink.StartNotify(minutes < 1 ? 1 : minutes);
            }
            break;
        case 'r':
            sink.FollowReferrals();
            break;
        case 's':
            options |= OPT_SAVE;
            sink.SetSaveFile(argument);
            break;
        case 'u':
            sink.UseUnicode();
            break;
        case '6':
            sink.UseIpv6();
            break;
        case 'w':
            options |= OPT_WHOIS;
            sink.SetWhoisTarget(argument);
            break;
        default:
            break; // unknown letters are ignored without a word
        }
        span = next;
    }
    if (options & OPT_FINGER)
        sink.StartFinger();
    else if (options & OPT_WHOIS)
        sink.StartWhois();
}

bool CommandLineNamesOption(const char *tail, char letter)
{
    const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    for (Span span = NextSpan(tail); span.begin != nullptr; span = NextSpan(span.end)) {
        if (LetterOf(span) == wanted)
            return true;
    }
    return false;
}

const char *CommandLineTail(const char *line)
{
    const char *p = line;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}
