#include "search/found_contacts.h"

#include <string.h>
#include <algorithm>

#include "plugin/plugin_state.h"


namespace {

// A block's next capacity: by half, at least what is needed, never past its
// full size. Little room is left to spare, and a full block never moves.
size_t grownCapacity(size_t capacity, size_t needed, size_t full)
{
    return std::min(full, std::max(needed, capacity + capacity / 2));
}

size_t hitTextSize(const char* text) { return text ? strnlen(text, HIT_TEXT_LIMIT) : 0; }

const char* textAt(const std::vector<TextBlock>& blocks, uint32_t at)
{
    return blocks[at / TEXT_BLOCK].data() + at % TEXT_BLOCK;
}

uint32_t endOf(const std::vector<TextBlock>& blocks)
{
    return static_cast<uint32_t>((blocks.size() - 1) * TEXT_BLOCK + blocks.back().size());
}

}  // namespace

void FoundContactList::push_back(const FoundContact& hit)
{
    if (blocks_.empty() || blocks_.back().size() == HIT_BLOCK) {
        blocks_.reserve(blocks_.size() + 1);  // may throw: before anything changes
        blocks_.push_back(std::vector<FoundContact>());
    }
    std::vector<FoundContact>& block = blocks_.back();
    if (block.size() == block.capacity())
        block.reserve(grownCapacity(block.capacity(), 16, HIT_BLOCK));
    block.push_back(hit);
    ++count_;
}

void FoundContactList::clear() noexcept
{
    std::vector<std::vector<FoundContact>>().swap(blocks_);
    count_ = 0;
}

void FoundContactList::swap(FoundContactList& other) noexcept
{
    blocks_.swap(other.blocks_);
    std::swap(count_, other.count_);
}

void FoundContactList::shrinkToFit()
{
    if (!blocks_.empty())
        blocks_.back().shrink_to_fit();
    blocks_.shrink_to_fit();
}

// Room for bytes more in the last block. A block that cannot take them is
// left as it is and a new one begun; the last carried bytes (the hit's texts
// so far) move to it, so that a hit's texts stay together.
void FoundContactsBuilder::makeRoom(size_t bytes, size_t carried)
{
    if (!texts_.empty() && texts_.back().size() + bytes <= TEXT_BLOCK) {
        TextBlock& block = texts_.back();
        if (block.capacity() < block.size() + bytes)
            block.reserve(grownCapacity(block.capacity(), block.size() + bytes, TEXT_BLOCK));
        return;
    }
    TextBlock block;
    block.reserve(std::max<size_t>(bytes + carried, 256));
    if (carried) {
        TextBlock& last = texts_.back();
        block.assign(last.end() - static_cast<ptrdiff_t>(carried), last.end());
        last.resize(last.size() - carried);
    }
    texts_.push_back(std::move(block));
}

uint32_t FoundContactsBuilder::append(const char* text, size_t size, uint16_t* length)
{
    uint32_t at = endOf(texts_);
    if (size)
        texts_.back().insert(texts_.back().end(), text, text + size);
    texts_.back().push_back('\0');
    *length = static_cast<uint16_t>(size);
    return at;
}

void FoundContactsBuilder::beginHit(int contactIndex, const char* displayName)
{
    FoundContact hit;
    hit.contactIndex = contactIndex;
    hit.net = 0;
    size_t name = hitTextSize(displayName);
    makeRoom(name + 2, 0);
    hit.nameAt = append(displayName, name, &hit.nameLength);
    hit.valueLength = 0;
    texts_.back().push_back('\0');  // the value's place until it comes: a hit without one shows ""
    hits_.push_back(hit);
}

void FoundContactsBuilder::addValue(const char* matchedValue)
{
    FoundContact& hit = hits_.back();
    texts_.back().pop_back();
    size_t value = hitTextSize(matchedValue);
    bool fits = texts_.back().size() + value + 1 <= TEXT_BLOCK;
    makeRoom(value + 1, hit.nameLength + 1u);  // the name moves along only to a new block
    if (!fits)
        hit.nameAt = static_cast<uint32_t>((texts_.size() - 1) * TEXT_BLOCK);
    append(matchedValue, value, &hit.valueLength);  // right after the name's NUL
}

HitText FoundContactsBuilder::lastName() const
{
    return {textAt(texts_, hits_.back().nameAt), hits_.back().nameLength};
}

HitText FoundContactsBuilder::lastValue() const
{
    const FoundContact& hit = hits_.back();
    return {textAt(texts_, hit.nameAt) + hit.nameLength + 1, hit.valueLength};
}

void FoundContactsBuilder::endHit(int net) { hits_.back().net = net; }

void replaceFoundContacts(FoundContactsBuilder& built)
{
    // Kept until the next search: no spare capacity. libstdc++ keeps the
    // spare room if that copy finds no memory; a runtime that throws
    // instead abandons the search, as any other lack of memory does.
    built.hits_.shrinkToFit();
    if (!built.texts_.empty())
        built.texts_.back().shrink_to_fit();  // the only block with room to spare
    built.texts_.shrink_to_fit();
    search.foundContacts.swap(built.hits_);
    search.foundTexts.swap(built.texts_);
    ++search.generation;
}

void emptyFoundContacts() noexcept
{
    search.foundContacts.clear();
    std::vector<TextBlock>().swap(search.foundTexts);
    ++search.generation;
}

const FoundContact* foundContactAt(intptr_t itemData)
{
    if (itemData < 0 || static_cast<size_t>(itemData) >= search.foundContacts.size())
        return nullptr;
    return &search.foundContacts[static_cast<size_t>(itemData)];
}

HitText displayNameOf(const FoundContact& hit) { return {textAt(search.foundTexts, hit.nameAt), hit.nameLength}; }

HitText matchedValueOf(const FoundContact& hit)
{
    return {textAt(search.foundTexts, hit.nameAt) + hit.nameLength + 1, hit.valueLength};
}
