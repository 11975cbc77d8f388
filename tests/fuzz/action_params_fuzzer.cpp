// Any bytes as text, key and value of an action parameter: no crash, and the
// parameter is there afterwards with nothing before the key changed.
#include <stdint.h>
#include <stdlib.h>
#include <string>

#include "ui/action_params.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t first = input.find('\0');
    size_t second = first == std::string::npos ? std::string::npos : input.find('\0', first + 1);
    if (second == std::string::npos)
        return 0;
    std::string text = input.substr(0, first);
    std::string key = input.substr(first + 1, second - first - 1);
    std::string value = input.substr(second + 1);
    if (key.empty())
        return 0;  // every caller passes a non-empty key
    std::string result = setActionParam(text, key, value);
    if (!hasActionParam(result, key))
        abort();
    // Appended when absent behind the first 0x04; otherwise the text before
    // the key is kept and the key is followed by the new value.
    size_t start = text.find('\x04') == std::string::npos ? 0 : text.find('\x04');
    size_t at = text.find(key, start);
    if (at == std::string::npos) {
        if (result != text + key + value)
            abort();
    } else if (result.compare(0, at, text, 0, at) != 0 || result.compare(at, key.size() + value.size(), key + value) != 0) {
        abort();
    }
    return 0;
}
