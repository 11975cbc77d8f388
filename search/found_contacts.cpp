#include "search/found_contacts.h"

#include <string.h>

std::vector<FoundContact> foundContacts;
std::string foundTexts;
unsigned foundContactsGeneration = 0;

uint32_t FoundContactsBuilder::append(const char* text, uint16_t* length)
{
    size_t size = text ? strnlen(text, HIT_TEXT_LIMIT) : 0;
    uint32_t at = static_cast<uint32_t>(texts_.size());
    texts_.append(text ? text : "", size);
    texts_.push_back('\0');
    *length = static_cast<uint16_t>(size);
    return at;
}

void FoundContactsBuilder::beginHit(int contactIndex, const char* displayName)
{
    FoundContact hit;
    hit.contactIndex = contactIndex;
    hit.net = 0;
    hit.nameAt = append(displayName, &hit.nameLength);
    hit.valueLength = 0;
    texts_.push_back('\0');  // the value's place until it comes: a hit without one shows ""
    hits_.push_back(hit);
}

void FoundContactsBuilder::addValue(const char* matchedValue)
{
    FoundContact& hit = hits_.back();
    texts_.pop_back();
    append(matchedValue, &hit.valueLength);  // right after the name's NUL
}

HitText FoundContactsBuilder::lastName() const
{
    return {texts_.data() + hits_.back().nameAt, hits_.back().nameLength};
}

HitText FoundContactsBuilder::lastValue() const
{
    const FoundContact& hit = hits_.back();
    return {texts_.data() + hit.nameAt + hit.nameLength + 1, hit.valueLength};
}

void FoundContactsBuilder::endHit(int net) { hits_.back().net = net; }

void replaceFoundContacts(FoundContactsBuilder& built)
{
    // Kept until the next search: no spare capacity. Should that copy find
    // no memory, the set keeps its spare room rather than fail.
    try {
        built.hits_.shrink_to_fit();
        built.texts_.shrink_to_fit();
    } catch (...) {  // GCOVR_EXCL_LINE: libstdc++ swallows a failed shrink itself; other runtimes may throw
    }
    foundContacts.swap(built.hits_);
    foundTexts.swap(built.texts_);
    ++foundContactsGeneration;
}

const FoundContact* foundContactAt(intptr_t itemData)
{
    if (itemData < 0 || static_cast<size_t>(itemData) >= foundContacts.size())
        return nullptr;
    return &foundContacts[static_cast<size_t>(itemData)];
}

HitText displayNameOf(const FoundContact& hit) { return {foundTexts.data() + hit.nameAt, hit.nameLength}; }

HitText matchedValueOf(const FoundContact& hit)
{
    return {foundTexts.data() + hit.nameAt + hit.nameLength + 1, hit.valueLength};
}
