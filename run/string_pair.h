// The string pairs of a run: how many there are, what one holds, and which of
// the main window's numbered fields hold it.
#pragma once

#include <string>

namespace ravo {

// A run has this many pairs, each applied by a pass of its own in turn.
inline constexpr int kPairCount = 4;

// One Original/Replacement pair as bytes. An empty search text leaves the
// pair unused.
struct StringPair {
    std::string search;
    std::string replacement;
};

// The main window numbers its string fields from 1: the Originals of pairs
// 1 to kPairCount first, then their Replacements in the same order.
struct PairFields {
    int original;
    int replacement;
};

constexpr PairFields FieldsOfPair(int pair)
{
    return {pair, pair + kPairCount};
}

} // namespace ravo
