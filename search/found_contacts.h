// The hits of the last search, in the order they were found and inserted
// into the result list: entry i is the row whose item data is i.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

// One hit. Its two texts are kept, NUL-terminated, in the result set's one
// text block (foundTexts), the matched value right after the display name: a
// hit costs its texts and these four words, not two strings and their
// allocations.
struct FoundContact {
    int contactIndex;      // row in the host's contact table
    int net;               // contact column 1
    uint32_t nameAt;       // contact column 8, the display name; the value follows its NUL
    uint16_t nameLength;   // at most HIT_TEXT_LIMIT, as is
    uint16_t valueLength;  // the searched column, as the host holds it
};

// A text of a hit: where it starts and how long it is.
struct HitText {
    const char* text;
    size_t length;
};

// Replaced whole, and only by replaceFoundContacts: while a search walks,
// the rows on screen still name the entries of the previous one.
extern std::vector<FoundContact> foundContacts;
extern std::string foundTexts;
// Counts the replacements: a fill checks that none happens under it.
extern unsigned foundContactsGeneration;

// A hit keeps at most this much of each of its texts: far more than a list
// row shows or a sort compares, and 30,000 hits on megabyte cells still fit.
const size_t HIT_TEXT_LIMIT = 4096;
static_assert(HIT_TEXT_LIMIT <= 0xFFFF, "a hit's text length fits its 16 bits");

// A search's hits as they are found. A text is copied in at once, since the
// host's pointer dies at its next call.
class FoundContactsBuilder {
public:
    // Starts a hit with its display name; cut to HIT_TEXT_LIMIT, null as empty.
    void beginHit(int contactIndex, const char* displayName);
    // Its matched value, then its network: the hit is complete.
    void addValue(const char* matchedValue);
    void endHit(int net);
    // The last hit's texts, for its log line before the set is in place.
    HitText lastName() const;
    HitText lastValue() const;

private:
    friend void replaceFoundContacts(FoundContactsBuilder& built);
    uint32_t append(const char* text, uint16_t* length);
    std::vector<FoundContact> hits_;
    std::string texts_;
};

// Puts a search's hits in place, in one step (swaps: needs no memory).
void replaceFoundContacts(FoundContactsBuilder& built);

// The entry that a result row's item data names, or null when it names none.
const FoundContact* foundContactAt(intptr_t itemData);
// A hit's two texts.
HitText displayNameOf(const FoundContact& hit);
HitText matchedValueOf(const FoundContact& hit);
