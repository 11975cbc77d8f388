// How the hits of a search are kept in the search's state (plugin_state.h):
// the records and their texts, in blocks that never move once full. What
// fills and reads them is the search's (search/found_contacts.h).
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <algorithm>
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

// A block's next capacity, at least what is needed and never past its full
// size. The first block grows by half: a search with few hits keeps little
// room to spare. A block after a full one belongs to a search with many: it
// starts at a quarter and doubles, so that growing copies less than it holds.
inline size_t grownCapacity(size_t capacity, size_t needed, size_t full, bool afterFull)
{
    size_t next = afterFull ? std::max(full / 4, capacity * 2) : capacity + capacity / 2;
    return std::min(full, std::max(needed, next));
}
