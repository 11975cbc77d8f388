// The six tests of a contact search, on texts that are already case-folded.
// Kept apart from the host so it can be checked and fuzzed on its own.
#pragma once

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

// Folds every byte with the C runtime's tolower under the current locale.
void foldCase(std::string& text);
// Whether cell text T passes condition against value V; any other code never does.
bool matchesCondition(const char* cell, size_t cellLength, const std::string& value, int condition);
