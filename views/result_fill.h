// The result list's fill (result_fill.cpp).
#pragma once

// Empties the list and inserts one row per entry of search.foundContacts,
// each with its entry's index as item data; with no list, only the log
// lines are written. False when the host replaced the list during every
// pass: the list is then left empty.
bool fillResultList();
