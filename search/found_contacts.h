// The hits of the last search, in the order they were found and inserted
// into the result list: entry i is the row whose item data is i.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

struct FoundContact {
    int contactIndex;          // row in the host's contact table
    std::string displayName;   // contact column 8
    std::string matchedValue;  // the searched column, as the host holds it
    int net;                   // contact column 1
};

// Replaced whole, and only by replaceFoundContacts: while a search walks,
// the rows on screen still name the entries of the previous one.
extern std::vector<FoundContact> foundContacts;
// Counts the replacements: a fill checks that none happens under it.
extern unsigned foundContactsGeneration;

void replaceFoundContacts(std::vector<FoundContact>& hits);

// A hit keeps at most this much of each of its texts: far more than a list
// row shows or a sort compares, and 30,000 hits on megabyte cells still fit.
const size_t HIT_TEXT_LIMIT = 4096;

// The entry that a result row's item data names, or null when it names none.
const FoundContact* foundContactAt(intptr_t itemData);
