#include "search/found_contacts.h"

#include <string.h>
#include <algorithm>

#include "base/plugin_state.h"


namespace {

size_t hitTextSize(const char* text) { return text ? strnlen(text, HIT_TEXT_LIMIT) : 0; }

const char* textAt(const std::vector<TextBlock>& blocks, uint32_t at)
{
    return blocks[at / TEXT_BLOCK].data() + at % TEXT_BLOCK;
}

}  // namespace

// Room for bytes more in the last block. A block that cannot take them is
// left with what it holds and a new one begun; the last carried bytes (the
// hit's texts so far) move to it, so that a hit's texts stay together. While
// hits come, the last block is as long as its capacity, zeros past used_, so
// that a text goes in with one copy (replaceFoundContacts cuts it to used_).
void FoundContactsBuilder::makeRoom(size_t bytes, size_t carried)
{
    if (!texts_.empty() && used_ + bytes <= TEXT_BLOCK) {
        TextBlock& block = texts_.back();
        if (block.size() < used_ + bytes) {
            block.reserve(grownCapacity(block.capacity(), used_ + bytes, TEXT_BLOCK, texts_.size() > 1));
            block.resize(block.capacity());
        }
        return;
    }
    TextBlock block;
    block.reserve(texts_.empty() ? std::max<size_t>(bytes + carried, 256)
                                : grownCapacity(0, bytes + carried, TEXT_BLOCK, true));
    block.resize(block.capacity());
    if (carried)
        memcpy(block.data(), texts_.back().data() + used_ - carried, carried);
    texts_.push_back(std::move(block));  // nothing changed if this throws
    if (texts_.size() > 1)
        texts_[texts_.size() - 2].resize(used_ - carried);
    used_ = carried;
}

uint32_t FoundContactsBuilder::append(const char* text, size_t size, size_t zeros, uint16_t* length)
{
    uint32_t at = static_cast<uint32_t>((texts_.size() - 1) * TEXT_BLOCK + used_);
    char* end = texts_.back().data() + used_;
    if (size)
        memcpy(end, text, size);
    memset(end + size, 0, zeros);
    used_ += size + zeros;
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
    // The second zero is the value's place until it comes: a hit without one shows "".
    hit.nameAt = append(displayName, name, 2, &hit.nameLength);
    hit.valueLength = 0;
    hits_.push_back(hit);
}

void FoundContactsBuilder::addValue(const char* matchedValue)
{
    FoundContact& hit = hits_.back();
    --used_;  // the value's place
    size_t value = hitTextSize(matchedValue);
    bool fits = used_ + value + 1 <= TEXT_BLOCK;
    makeRoom(value + 1, hit.nameLength + 1u);  // the name moves along only to a new block
    if (!fits)
        hit.nameAt = static_cast<uint32_t>((texts_.size() - 1) * TEXT_BLOCK);
    append(matchedValue, value, 1, &hit.valueLength);  // right after the name's NUL
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
    if (!built.texts_.empty()) {
        built.texts_.back().resize(built.used_);
        built.texts_.back().shrink_to_fit();  // the only block with room to spare
    }
    built.texts_.shrink_to_fit();
    search.foundContacts.swap(built.hits_);
    search.foundTexts.swap(built.texts_);
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
