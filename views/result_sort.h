// The result list's header-click sort (result_sort.cpp).
#pragma once

// A header click on listColumn: sorts our two columns, flipping the
// direction first; a column the host added is not ours to sort.
void sortByColumn(int listColumn);
