// Walks the host's contact table for the first row at or after firstRow whose
// text in column passes condition against value, both case-folded.
#pragma once

#include <string>

// Returns the row, or 0 when none matches. Folds value in place.
// Holds the host's table lock for the walk, and hands it back on every way
// out. Walks never nest: the search that calls this defers any search the
// host asks for meanwhile, and the one cell buffer of all walks relies on it.
int findContact(int column, std::string& value, int condition, int firstRow);
