// How two result rows compare when the user sorts a column: by the text the
// column shows, its first 255 bytes, case-insensitively as Windows' C
// runtime's _strcmpi does it, whichever runtime we meet. Kept free of
// Windows so it can be checked on its own.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <stddef.h>

// A sort compares what a 256-byte read of the cell would have held.
const size_t SORT_TEXT_LIMIT = 255;

int compareShownTexts(const char* first, size_t firstLength, const char* second, size_t secondLength,
                      bool ascending);
inline int compareShownTexts(const std::string& first, const std::string& second, bool ascending)
{
    return compareShownTexts(first.c_str(), first.size(), second.c_str(), second.size(), ascending);
}

// The texts of many rows as a sort compares them, each cut once: sorting
// them then costs the comparisons alone, not a cut at every one.
class SortTexts {
public:
    void reserve(size_t rows) { texts_.reserve(rows); }
    // Text is NUL-terminated at length; it must outlive this object.
    void add(const char* text, size_t length);
    // Whether row a's text sorts before row b's, ascending, as compareShownTexts orders them.
    bool less(size_t a, size_t b) const;

private:
    std::vector<const char*> texts_;
    std::deque<std::string> cut_;  // copies of the long texts, cut; they never move
};
