#include "search/found_contacts.h"

std::vector<FoundContact> foundContacts;

const FoundContact* foundContactAt(intptr_t itemData)
{
    if (itemData < 0 || static_cast<size_t>(itemData) >= foundContacts.size())
        return nullptr;
    return &foundContacts[static_cast<size_t>(itemData)];
}
