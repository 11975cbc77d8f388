#include "search/found_contacts.h"

std::vector<FoundContact> foundContacts;
unsigned foundContactsGeneration = 0;

void replaceFoundContacts(std::vector<FoundContact>& hits)
{
    hits.shrink_to_fit();  // kept until the next search: no spare capacity
    foundContacts.swap(hits);
    ++foundContactsGeneration;
}

const FoundContact* foundContactAt(intptr_t itemData)
{
    if (itemData < 0 || static_cast<size_t>(itemData) >= foundContacts.size())
        return nullptr;
    return &foundContacts[static_cast<size_t>(itemData)];
}
