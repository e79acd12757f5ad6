// The wait a server asks for with Retry-After, as a user reads it.
#pragma once

#include <string>
#include <string_view>

// "120 seconds" for "120" ("1 second" for "1"), the date as sent for an
// HTTP date, "" for an empty header or one that is neither.
std::string RetryAfterText(std::string_view header);
