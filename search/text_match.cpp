#include "search/text_match.h"

#include <string.h>

void foldCase(std::string& text)
{
    for (char& c : text)
        c = static_cast<char>(foldedByte(static_cast<unsigned char>(c)));
}

namespace {

// Where V first occurs in T; npos when nowhere. An empty V occurs at 0.
size_t firstOccurrence(const char* cell, size_t cellLength, const std::string& value)
{
    if (value.empty())
        return 0;
    if (value.size() > cellLength)
        return std::string::npos;
    const char* last = cell + (cellLength - value.size());
    for (const char* p = cell; p <= last; ++p) {
        p = static_cast<const char*>(memchr(p, value[0], static_cast<size_t>(last - p) + 1));
        if (!p)
            break;
        if (memcmp(p, value.data(), value.size()) == 0)
            return static_cast<size_t>(p - cell);
    }
    return std::string::npos;
}

bool sameText(const char* cell, size_t cellLength, const std::string& value)
{
    return cellLength == value.size() && memcmp(cell, value.data(), cellLength) == 0;
}

}  // namespace

bool matchesCondition(const char* cell, size_t cellLength, const std::string& value, int condition)
{
    switch (condition) {
    case Equals:
        return sameText(cell, cellLength, value);
    case Contains:
        return firstOccurrence(cell, cellLength, value) != std::string::npos;
    case Differs:
        return !sameText(cell, cellLength, value);
    case StartsWith:
        return firstOccurrence(cell, cellLength, value) == 0;
    case EndsWith:
        return value.size() <= cellLength &&
               memcmp(cell + cellLength - value.size(), value.data(), value.size()) == 0;
    case NotContains:
        return !value.empty() && firstOccurrence(cell, cellLength, value) == std::string::npos;
    default:
        return false;
    }
}
