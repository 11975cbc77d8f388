// An independent reference of the six match conditions and a source of
// random byte strings, for property tests (native and under Wine).
#pragma once

#include <locale.h>
#include <random>
#include <string>

namespace reference {


// The reference: plain index loops, folding A-Z only (the C locale).
inline std::string referenceFold(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

inline long referenceFirstOccurrence(const std::string& t, const std::string& v)
{
    for (size_t i = 0; i + v.size() <= t.size(); ++i) {
        size_t j = 0;
        while (j < v.size() && t[i + j] == v[j])
            ++j;
        if (j == v.size())
            return static_cast<long>(i);
    }
    return -1;
}

inline bool referenceMatch(const std::string& t, const std::string& v, int condition)
{
    long first = referenceFirstOccurrence(t, v);
    switch (condition) {
    case 0: return t == v;
    case 1: return first >= 0;
    case 2: return t != v;
    case 3: return first == 0;
    case 4: return v.size() <= t.size() && t.compare(t.size() - v.size(), v.size(), v) == 0;
    case 5: return !v.empty() && first < 0;
    default: return false;
    }
}

// For the length of a test, a locale whose runtime folds bytes above ASCII:
// Polish, code page 1250 (Windows' runtime) or ISO 8859-2, where "Ł" (0xA3)
// folds to "ł" (0xB3) as in 1250. active() is false where none is installed.
class PolishLocale {
public:
    PolishLocale()
    {
        const char* was = setlocale(LC_CTYPE, nullptr);
        saved_ = was ? was : "C";
        for (const char* name : {"Polish_Poland.1250", "pl_PL.ISO-8859-2", "pl_PL.ISO8859-2"})
            if (!active_ && setlocale(LC_CTYPE, name))
                active_ = true;
    }
    ~PolishLocale() { setlocale(LC_CTYPE, saved_.c_str()); }
    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

class Bytes {
public:
    explicit Bytes(unsigned seed) : random_(seed) {}
    // Small alphabets make matches likely; some texts draw from every byte but NUL.
    std::string text(size_t maxLength)
    {
        size_t length = pick(0, 4) == 0 ? 0 : pick(0, maxLength);
        const char alphabet[] = "aAbB\xA3\xB3\xFF\x80";
        bool wide = pick(0, 3) == 0;
        std::string result;
        for (size_t i = 0; i < length; ++i)
            result += wide ? static_cast<char>(pick(1, 255)) : alphabet[pick(0, sizeof alphabet - 2)];
        return result;
    }
    size_t pick(size_t low, size_t high) { return std::uniform_int_distribution<size_t>(low, high)(random_); }

private:
    std::mt19937 random_;
};


}  // namespace reference
