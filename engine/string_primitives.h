// Byte-exact string splicing with 1-based positions, as the replacement pass
// applies it to every line. No locale, no case folding; NUL is an ordinary
// byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ravo {

// The 1-based index of the leftmost occurrence of pattern in text; 0 when
// there is none, or when either is empty.
std::size_t PositionOf(std::string_view pattern, std::string_view text);

// Removes count bytes from index on, cut at the end of the text. An index
// outside 1..length or a count below 1 changes nothing.
void DeleteRange(std::string& text, std::ptrdiff_t index, std::ptrdiff_t count);

// Inserts source so that it begins at index, which is clamped to
// 1..length+1 (length+1 appends). An empty source changes nothing.
void InsertText(std::string_view source, std::string& text, std::ptrdiff_t index);

} // namespace ravo
