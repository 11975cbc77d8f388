// The host's action parameter text: parameters of the form 0x1A key "=" value,
// possibly behind a leading part that ends at the first 0x04.
#pragma once

#include <string>

// Keys carry their 0x1A introducer and their "=".
#define ACTION_PARAM_KEY(name) "\x1a" name "="

// A copy of text in which key has value: replaced where it stood, or appended.
std::string setActionParam(const std::string& text, const std::string& key, const std::string& value);
// Whether key occurs anywhere in text.
bool hasActionParam(const std::string& text, const std::string& key);
