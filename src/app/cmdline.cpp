#include "app/cmdline.h"

#include <cctype>

#include "config/profile_values.h"
#include "frame/options.h"

namespace {

// Cuts the next token off at its '-' like strtok: runs of '-' are one cut and
// no token is empty. Returns null when nothing is left.
char *NextToken(char *&cursor)
{
    if (cursor == nullptr)
        return nullptr;
    while (*cursor == '-')
        ++cursor;
    if (*cursor == '\0') {
        cursor = nullptr;
        return nullptr;
    }
    char *token = cursor;
    while (*cursor != '\0' && *cursor != '-')
        ++cursor;
    if (*cursor == '-')
        *cursor++ = '\0';
    else
        cursor = nullptr;
    return token;
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
    char *cursor = tail;
    char *token = NextToken(cursor);
    while (token != nullptr) {
        char *next = NextToken(cursor);
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(token[0])));
        char *argument = nullptr;
        if (TakesArgument(letter)) {
            if (token[1] != ':') {
                sink.SyntaxError();
                return;
            }
            argument = token + 2;
            // The character before the next option's '-' belongs to neither
            // option; it is dropped when it lies within this argument.
            if (next != nullptr && next - 2 >= argument)
                next[-2] = '\0';
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
        case 'w':
            options |= OPT_WHOIS;
            sink.SetWhoisTarget(argument);
            break;
        default:
            break; // unknown letters are ignored without a word
        }
        token = next;
    }
    if (options & OPT_FINGER)
        sink.StartFinger();
    else if (options & OPT_WHOIS)
        sink.StartWhois();
}
