// How two result rows compare when the user sorts a column: by the text the
// column shows, its first 255 bytes, case-insensitively as the C runtime's
// _strcmpi does it. Kept free of Windows so it can be checked on its own.
#pragma once

#include <string>

int compareShownTexts(const std::string& first, const std::string& second, bool ascending);
