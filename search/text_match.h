// The six tests of a contact search, on texts that are already case-folded.
// Kept apart from the host so it can be checked and fuzzed on its own.
#pragma once

#include <ctype.h>
#include <string>

// The condition combo's stored values.
enum MatchCondition {
    Equals = 0,
    Contains = 1,
    Differs = 2,
    StartsWith = 3,
    EndsWith = 4,
    NotContains = 5,
};

// One byte as the C runtime's tolower folds it under the current locale.
// ASCII folds alike in every Windows locale (every code page is ASCII below
// 128): the runtime is asked only for the bytes above, which a locale may
// fold, so most bytes cost no call.
inline int foldedByte(unsigned char byte)
{
    if (byte < 0x80)
        return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
    return tolower(byte);
}
// Folds every byte so.
void foldCase(std::string& text);
// Whether cell text T passes condition against value V; any other code never does.
bool matchesCondition(const char* cell, size_t cellLength, const std::string& value, int condition);
