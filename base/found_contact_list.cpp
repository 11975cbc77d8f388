#include "base/found_contact_list.h"

#include <utility>

void FoundContactList::push_back(const FoundContact& hit)
{
    if (blocks_.empty() || blocks_.back().size() == HIT_BLOCK) {
        blocks_.reserve(blocks_.size() + 1);  // may throw: before anything changes
        blocks_.push_back(std::vector<FoundContact>());
    }
    std::vector<FoundContact>& block = blocks_.back();
    if (block.size() == block.capacity())
        block.reserve(grownCapacity(block.capacity(), 16, HIT_BLOCK, blocks_.size() > 1));
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
