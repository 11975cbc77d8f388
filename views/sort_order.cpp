#include "views/sort_order.h"

#include <string.h>

#include "plugin/portability.h"

namespace {

// A sort compares what a 256-byte read of the cell would have held.
const size_t SORT_TEXT_LIMIT = 255;

const char* bounded(const std::string& text, char* spill)
{
    if (text.size() <= SORT_TEXT_LIMIT)
        return text.c_str();
    memcpy(spill, text.data(), SORT_TEXT_LIMIT);
    spill[SORT_TEXT_LIMIT] = '\0';
    return spill;
}

}  // namespace

int compareShownTexts(const std::string& first, const std::string& second, bool ascending)
{
    char spill1[SORT_TEXT_LIMIT + 1];
    char spill2[SORT_TEXT_LIMIT + 1];
    int order = caseInsensitiveCompare(bounded(first, spill1), bounded(second, spill2));
    return ascending ? order : -order;
}
