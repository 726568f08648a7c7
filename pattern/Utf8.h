#pragma once
// UTF-8 in and out, the one home for every place that meets wide text as
// bytes: the wide syntax error report, patprobe --wide, the benchmarks and
// the fuzz targets' wide inputs.
#include <cstddef>
#include <cstdint>
#include <string>

// Appends code point c. Surrogates are written as they are; a value beyond
// U+10FFFF (a negative wchar_t included) becomes '?', so every character
// still takes a place.
void appendUtf8(std::string& out, uint32_t c);
std::string toUtf8(const std::wstring& text);

// The well-formed sequence at s (at most n bytes): its length, with the
// code point in *codePoint; 0 for an overlong form, a surrogate, a value
// beyond U+10FFFF, a stray continuation byte or a sequence cut short.
size_t utf8Sequence(const unsigned char* s, size_t n, uint32_t* codePoint);

// Strict decoding of a whole text; false (and *out unspecified) at the
// first malformed sequence.
bool fromUtf8(const std::string& bytes, std::wstring* out);
