// Any bytes as cell, value and condition: no crash, no undefined behaviour,
// and the conditions keep their relations to one another.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#include "search/text_match.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    int condition = static_cast<int8_t>(data[0]);
    size_t split = data[1] % (size - 1);
    std::string cell(reinterpret_cast<const char*>(data + 2), split > size - 2 ? size - 2 : split);
    std::string value(reinterpret_cast<const char*>(data + 2 + cell.size()), size - 2 - cell.size());
    foldCase(cell);
    foldCase(value);

    bool result = matchesCondition(cell.data(), cell.size(), value, condition);
    bool equals = matchesCondition(cell.data(), cell.size(), value, 0);
    bool contains = matchesCondition(cell.data(), cell.size(), value, 1);
    bool differs = matchesCondition(cell.data(), cell.size(), value, 2);
    bool starts = matchesCondition(cell.data(), cell.size(), value, 3);
    bool ends = matchesCondition(cell.data(), cell.size(), value, 4);
    bool notContains = matchesCondition(cell.data(), cell.size(), value, 5);
    if (equals == differs || (equals && !(starts && ends)) || ((starts || ends) && !contains) ||
        (!value.empty() && contains == notContains) || (value.empty() && notContains) ||
        ((condition < 0 || condition > 5) && result))
        abort();
    return 0;
}
