// Walks the host's contact table for the first row at or after firstRow whose
// text in column passes condition against value, both case-folded.
#pragma once

#include <string>

// Returns the row, or 0 when none matches. Folds value in place.
int findContact(int column, std::string& value, int condition, int firstRow);
