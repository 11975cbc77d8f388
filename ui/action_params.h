// The host's action parameter text: parameters of the form 0x1A key "=" value.
// A value runs to the next byte below 0x08 or the next 0x1A, so the next
// parameter's introducer ends it.
#pragma once

#include <string>

// Keys carry their 0x1A introducer and their "=".
#define ACTION_PARAM_KEY(name) "\x1a" name "="

// A copy of text with the parameter key set to value. The info box builds
// its text from empty and sets each key once, so the key is appended; a text
// that already held it is a rule broken (the test builds stop there).
std::string setActionParam(const std::string& text, const std::string& key, const std::string& value);
