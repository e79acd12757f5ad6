// Turning the bytes of a Finger or WhoIs answer into text the output pane
// shows: as 7-bit text (ConvertAnswerChunk) or, with Unicode text on, as
// UTF-8 (AnswerDecoder). Portable: compiles without <windows.h> and is
// unit-tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

// The most text one byte can become: a tab is eight spaces.
enum { ANSWER_EXPANSION = 8 };

// Room needed for the converted text of `n` bytes, terminator included.
constexpr size_t ConvertedCapacity(size_t n) { return n * ANSWER_EXPANSION + 1; }

// Converts one received chunk, in order:
//  - each byte's high bit is cleared in `bytes` itself (the answers are
//    7-bit text; later searches see the cleared value);
//  - a tab becomes eight spaces, with no tab stops;
//  - a line feed not preceded by a carriage return in this chunk becomes
//    CR LF (a line feed at the start of a chunk counts as not preceded);
//  - a byte that is NUL after clearing (0x00, 0x80) is dropped, so it cannot
//    end the text early and hide the rest of the chunk;
//  - every other byte is copied as it is.
// `out` must hold ConvertedCapacity(n) bytes; the text is NUL-terminated.
// Returns the length of the converted text.
size_t ConvertAnswerChunk(uint8_t *bytes, size_t n, char *out);

// The most UTF-8 one byte read as Windows-1252 can become: the characters of
// 0x80-0x9F such as the euro sign lie above U+07FF and take three bytes.
enum { CP1252_EXPANSION = 3 };

// Room for the decoded text of a chunk of `n` bytes, with up to three bytes
// held from the last one, terminator included. Each byte of the chunk becomes
// at most eight (a tab); a held byte is never a tab, so at most three. A
// valid UTF-8 sequence is copied as it is, one byte out for each byte in.
constexpr size_t DecodedCapacity(size_t n)
{
    return n * ANSWER_EXPANSION + 3 * CP1252_EXPANSION + 1;
}

// Decodes one connection's answer as UTF-8, chunk by chunk, for the Unicode
// text option. Bytes that are valid UTF-8 (the strict form: no overlong
// forms, no surrogates, nothing above U+10FFFF) are kept; any other byte is
// read as its Windows-1252 character, so the Latin-1 answers of older servers
// read right. The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) become U+0081 and so on, as Windows' own converter reads them.
// A sequence split between two reads is held back and joined whole, so the
// text does not depend on where the network cut the answer.
//
// Then the rules of ConvertAnswerChunk: a tab becomes eight spaces; a line
// feed not preceded by a carriage return in this chunk's own decoded text
// (held bytes carried into it included) becomes CR LF; U+0000 is dropped
// (and still stands between a CR and an LF, as in ConvertAnswerChunk). On
// bytes below 0x80 the text is ConvertAnswerChunk's.
// Unlike ConvertAnswerChunk it leaves the received bytes as they are.
class AnswerDecoder {
public:
    // Decodes one received chunk into `out` (DecodedCapacity(n) bytes), UTF-8,
    // NUL-terminated; returns its length. The end of an unfinished sequence
    // that may still be completed by the next chunk is held back.
    size_t Decode(const uint8_t *bytes, size_t n, char *out);
    // The connection has ended: bytes still held are read as Windows-1252.
    // `out` holds DecodedCapacity(0) bytes.
    size_t Finish(char *out);
    // A new connection begins: nothing held.
    void Reset() { heldLength_ = 0; }

private:
    // The start of a sequence that the chunk ended in: a lead byte and at most
    // two continuation bytes, each valid so far.
    uint8_t held_[3] = {};
    size_t heldLength_ = 0;
};
