#include "net/answer_text.h"

size_t ConvertAnswerChunk(uint8_t *bytes, size_t n, char *out)
{
    size_t len = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = static_cast<uint8_t>(bytes[i] & 0x7F);
        bytes[i] = b;
        switch (b) {
        case 0:
            break;
        case '\t':
            for (int k = 0; k < 8; ++k)
                out[len++] = ' ';
            break;
        case '\n':
            if (i == 0 || bytes[i - 1] != '\r')
                out[len++] = '\r';
            out[len++] = '\n';
            break;
        default:
            out[len++] = static_cast<char>(b);
            break;
        }
    }
    out[len] = '\0';
    return len;
}
