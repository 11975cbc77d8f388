#include "views/sort_order.h"

#include <string.h>

#include "search/text_match.h"

namespace {

// As Windows' C runtime compares in _strcmpi, in every locale: each byte
// through the runtime's tolower as an unsigned char (foldedByte, which asks
// the runtime for the bytes above ASCII alone), the difference taken of
// those. Under the C locale only ASCII letters fold, and code page 1250's
// letters, above 127, come after every ASCII one. (Wine 8's msvcrt
// _strcmpi compares them as signed chars, before ASCII: not ours to follow.)
int caseInsensitiveCompare(const char* first, const char* second)
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(first);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(second);
    int folded1, folded2;
    do {
        folded1 = foldedByte(*a++);
        folded2 = foldedByte(*b++);
    } while (folded1 != 0 && folded1 == folded2);
    return folded1 - folded2;
}

// text is NUL-terminated at length.
const char* bounded(const char* text, size_t length, char* spill)
{
    if (length <= SORT_TEXT_LIMIT)
        return text;
    memcpy(spill, text, SORT_TEXT_LIMIT);
    spill[SORT_TEXT_LIMIT] = '\0';
    return spill;
}

}  // namespace

void SortTexts::add(const char* text, size_t length)
{
    if (length > SORT_TEXT_LIMIT) {
        cut_.emplace_back(text, SORT_TEXT_LIMIT);
        text = cut_.back().c_str();
    }
    texts_.push_back(text);
}

bool SortTexts::less(size_t a, size_t b) const
{
    return caseInsensitiveCompare(texts_[a], texts_[b]) < 0;
}

int compareShownTexts(const char* first, size_t firstLength, const char* second, size_t secondLength,
                      bool ascending)
{
    char spill1[SORT_TEXT_LIMIT + 1];
    char spill2[SORT_TEXT_LIMIT + 1];
    int order = caseInsensitiveCompare(bounded(first, firstLength, spill1), bounded(second, secondLength, spill2));
    return ascending ? order : -order;
}
