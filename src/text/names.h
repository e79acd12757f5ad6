// What a WhoIs query is, as far as sending it goes. Portable.
#pragma once

// Whether a query reads as a domain name, and so goes out as its A-labels
// when it has letters beyond ASCII: no blank, control character, '@', ':'
// or '/', and at least one dot between two labels (the ideographic and
// full-width dots count, as the name mapping turns them into dots). A name
// of a person or an organisation ("Müller GmbH") or a handle goes out as
// the UTF-8 it is. `text` is UTF-8.
bool LooksLikeDomainName(const char *text);
