// The hits of the last search, in the order they were found and inserted
// into the result list: entry i is the row whose item data is i.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

// One hit. Its two texts are kept, NUL-terminated, in the result set's text
// blocks (foundTexts), the matched value right after the display name: a hit
// costs its texts and these four words, not two strings and their
// allocations.
struct FoundContact {
    int contactIndex;      // row in the host's contact table
    int net;               // contact column 1
    uint32_t nameAt;       // contact column 8, the display name (block * TEXT_BLOCK + offset); the value follows its NUL
    uint16_t nameLength;   // at most HIT_TEXT_LIMIT, as is
    uint16_t valueLength;  // the searched column, as the host holds it
};

// A text of a hit: where it starts and how long it is.
struct HitText {
    const char* text;
    size_t length;
};

// Hits in blocks: each grows by half up to HIT_BLOCK hits, and a full one
// never moves again, so the list never copies more than a block to grow.
// Unlike a deque, an empty list owns no memory, so making one cannot fail.
class FoundContactList {
public:
    static constexpr size_t HIT_BLOCK = 4096;  // 64 KiB
    size_t size() const { return count_; }
    const FoundContact& operator[](size_t i) const { return blocks_[i / HIT_BLOCK][i % HIT_BLOCK]; }
    FoundContact& back() { return blocks_.back().back(); }
    const FoundContact& back() const { return blocks_.back().back(); }
    void push_back(const FoundContact& hit);
    void clear() noexcept;
    void swap(FoundContactList& other) noexcept;
    void shrinkToFit();  // the last block, the only one with room to spare

private:
    std::vector<std::vector<FoundContact>> blocks_;
    size_t count_ = 0;
};

// A block of texts: a vector, whose reserve takes exactly what it is asked
// for (a string's reserve at least doubles). The result set itself lives in
// the search's state (plugin_state.h): search.foundContacts and
// search.foundTexts. Both grow a block at a time and copy at most one block
// to grow: a search's memory is its hits and little more, never twice them
// while all is copied.
typedef std::vector<char> TextBlock;

// A hit keeps at most this much of each of its texts: far more than a list
// row shows or a sort compares, and 30,000 hits on megabyte cells still fit.
const size_t HIT_TEXT_LIMIT = 4096;
static_assert(HIT_TEXT_LIMIT <= 0xFFFF, "a hit's text length fits its 16 bits");

// The texts' blocks: each grows by half up to this size and never past it,
// so a full block never moves and a hit's texts stay together in one.
const size_t TEXT_BLOCK = 64 * 1024;
static_assert(2 * (HIT_TEXT_LIMIT + 1) <= TEXT_BLOCK, "a hit's two texts fit one block");

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
    // text's first size bytes and a NUL, at the end of the last block.
    uint32_t append(const char* text, size_t size, uint16_t* length);
    void makeRoom(size_t bytes, size_t carried);
    FoundContactList hits_;
    std::vector<TextBlock> texts_;
};

// Puts a search's hits in place, in one step (swaps: needs no memory).
void replaceFoundContacts(FoundContactsBuilder& built);
// No hits, and their memory given back: for a search that failed, and at stop.
void emptyFoundContacts() noexcept;

// The entry that a result row's item data names, or null when it names none.
const FoundContact* foundContactAt(intptr_t itemData);
// A hit's two texts.
HitText displayNameOf(const FoundContact& hit);
HitText matchedValueOf(const FoundContact& hit);
