// How two result rows compare when the user sorts a column: by the text the
// column shows, its first 255 bytes, case-insensitively as the C runtime's
// _strcmpi does it. Kept free of Windows so it can be checked on its own.
#pragma once

#include <string>

#include <stddef.h>

int compareShownTexts(const char* first, size_t firstLength, const char* second, size_t secondLength,
                      bool ascending);
inline int compareShownTexts(const std::string& first, const std::string& second, bool ascending)
{
    return compareShownTexts(first.c_str(), first.size(), second.c_str(), second.size(), ascending);
}
