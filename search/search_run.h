// Runs a search when a criteria control reports an event and a criterion
// changed (or the event forces it), and refills the result list.
#pragma once

#include "plugin/host_abi.h"

// The three fixed-size caches of the criteria texts seen at the last event.
extern char lastCondition[12];
extern char lastValue[500];
extern char lastField[12];

// Contact-table column searched for each field number of the field combo.
extern const int fieldColumns[9];

intptr_t runSearch(ActionEvent* event);
// Empties the result list and inserts one row per entry of foundContacts.
void fillResultList();
