// Any bytes as an RDAP answer's body: RenderRdap never crashes, its text
// ends each line with CR LF and holds no NUL or other control character
// (a value cannot add a line, nor end the text early), and the registrar link
// it offers is "" or an http(s) URL fit to be asked.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "rdap/rdap_bootstrap.h"
#include "rdap/rdap_render.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const RdapAnswer answer = RenderRdap(reinterpret_cast<const char *>(data), size);
    const std::string &text = answer.text;
    FUZZ_CHECK(!text.empty());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r')
            FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n');
        else if (c == '\n')
            FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
        else
            FUZZ_CHECK(c >= 0x20 && c != 0x7F);
    }
    FUZZ_CHECK(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    if (!answer.related.empty()) {
        FUZZ_CHECK(answer.json);
        FUZZ_CHECK(RdapUrlAllowed(answer.related, true));
        const std::string scheme = answer.related.substr(0, 4);
        FUZZ_CHECK(scheme.size() == 4 && (scheme[0] | 0x20) == 'h' && (scheme[1] | 0x20) == 't' &&
                   (scheme[2] | 0x20) == 't' && (scheme[3] | 0x20) == 'p');
    }
    return 0;
}
