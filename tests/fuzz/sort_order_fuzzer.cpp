// Any two texts: the comparison is antisymmetric, reflexive, and sees only
// the first 255 bytes.
#include <stdint.h>
#include <stdlib.h>
#include <string>

#include "views/sort_order.h"

namespace {
int sign(int value) { return (value > 0) - (value < 0); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');
    if (split == std::string::npos)
        return 0;
    std::string first = input.substr(0, split);
    std::string second = input.substr(split + 1);
    if (second.find('\0') != std::string::npos)
        return 0;
    int forward = compareShownTexts(first, second, true);
    if (sign(forward) != -sign(compareShownTexts(second, first, true)) ||
        sign(forward) != -sign(compareShownTexts(first, second, false)) ||
        compareShownTexts(first, first, true) != 0 ||
        compareShownTexts(first.substr(0, 255), second.substr(0, 255), true) != forward)
        abort();
    return 0;
}
