// setActionParam and hasActionParam against a reference model, on texts,
// keys and values full of 0x04, 0x1A and bytes below 0x08.
#include <gtest/gtest.h>

#include <random>

#include "ui/action_params.h"

namespace {

// The model: the text as a vector of bytes, scanned with plain indices.
std::string referenceSet(const std::string& text, const std::string& key, const std::string& value)
{
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\x04') {
            start = i;
            break;
        }
    for (size_t at = start; at + key.size() <= text.size(); ++at) {
        if (text.compare(at, key.size(), key) != 0)
            continue;
        size_t end = at + key.size();
        while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x08 && text[end] != '\x1a')
            ++end;
        std::string result;
        for (size_t i = 0; i < at; ++i)
            result += text[i];
        result += key;
        result += value;
        for (size_t i = end; i < text.size(); ++i)
            result += text[i];
        return result;
    }
    return text + key + value;
}

bool referenceHas(const std::string& text, const std::string& key)
{
    for (size_t at = 0; at + key.size() <= text.size(); ++at)
        if (text.compare(at, key.size(), key) == 0)
            return true;
    return false;
}

std::string randomText(std::mt19937& random, size_t maxLength)
{
    const char pieces[] = {'\x1a', '\x04', '\x01', '\x07', '\x08', '=', 'a', 'b', '\xff', '\x80', '%', 's'};
    size_t length = std::uniform_int_distribution<size_t>(0, maxLength)(random);
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += pieces[std::uniform_int_distribution<size_t>(0, sizeof pieces - 1)(random)];
    return text;
}

}  // namespace

TEST(ActionParamsProperty, AgreesWithTheModel)
{
    std::mt19937 random(1250);
    for (int round = 0; round < 30000; ++round) {
        std::string key = "\x1a" + randomText(random, 3) + "=";
        if (round % 7 == 0)
            key = randomText(random, 4) + "x";  // keys need not look like keys
        std::string text = randomText(random, 24);
        if (round % 3 == 0) {  // plant the key somewhere
            size_t at = std::uniform_int_distribution<size_t>(0, text.size())(random);
            text.insert(at, key);
        }
        std::string value = randomText(random, 6);
        ASSERT_EQ(referenceSet(text, key, value), setActionParam(text, key, value)) << "round " << round;
        ASSERT_EQ(referenceHas(text, key), hasActionParam(text, key)) << "round " << round;
        ASSERT_TRUE(hasActionParam(setActionParam(text, key, value), key));
    }
}
