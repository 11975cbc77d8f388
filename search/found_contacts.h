// The hits of the last search, in the order they were found and inserted
// into the result list: entry i is the row whose item data is i.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

#include "base/found_contact_list.h"

// A text of a hit: where it starts and how long it is.
struct HitText {
    const char* text;
    size_t length;
};

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
    // text's first size bytes and zeros NULs, at the end of the last block.
    uint32_t append(const char* text, size_t size, size_t zeros, uint16_t* length);
    void makeRoom(size_t bytes, size_t carried);
    FoundContactList hits_;
    std::vector<TextBlock> texts_;
    size_t used_ = 0;  // bytes of the last block in use (makeRoom)
};

// Puts a search's hits in place, in one step (swaps: needs no memory).
void replaceFoundContacts(FoundContactsBuilder& built);

// The entry that a result row's item data names, or null when it names none.
const FoundContact* foundContactAt(intptr_t itemData);
// A hit's two texts.
HitText displayNameOf(const FoundContact& hit);
HitText matchedValueOf(const FoundContact& hit);
