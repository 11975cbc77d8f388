// The host's contact table (table 1): rows of texts by the host's column
// numbers. Row 0 is the user's own account; contacts start at row 1.
#pragma once

#include <stdint.h>
#include <map>
#include <string>
#include <vector>

namespace host {

// The host's column numbers and the names a contact file uses for them.
struct ContactColumn {
    int number;
    const char* name;       // in the file's header row
    const char* polishName; // as the host shows it to a user
};
extern const ContactColumn contactColumns[];
extern const size_t contactColumnCount;
const int COLUMN_UID = 0;
const int COLUMN_NET = 1;
const int COLUMN_DISPLAY = 8;

class ContactTable {
public:
    // Reads a UTF-8 CSV file whose header row names the columns. Throws
    // HostError with the file name and line on anything it cannot take.
    static ContactTable fromCsvFile(const std::string& path);
    static ContactTable fromCsvText(const std::string& text, const std::string& origin);

    int rows() const { return rows_; }
    // The cell's text in Windows-1250, or null when the row or column has none.
    const char* text(int row, int column) const;
    int integer(int row, int column) const;
    const std::vector<int>& columns() const { return columns_; }

    void addRow(const std::map<int, std::string>& cellsByColumn);  // texts in Windows-1250

private:
    // Gives column a place of its own; the rows already there get an empty text in it.
    size_t addColumn(int column);
    uint32_t store(const char* text, size_t length);

    // One heap block for every text, not one per cell: a million contacts
    // load in seconds under Wine. The texts lie one after another in arena_,
    // each with its terminator; a cell is its text's offset there, and
    // offset 0 is the empty text. Pointers stay valid until the table changes.
    std::vector<int> columns_;          // column numbers present, in file order
    std::map<int, size_t> columnIndex_; // column number -> index in columns_
    std::string arena_;
    std::vector<uint32_t> cells_;       // [row * columns_.size() + index]
    int rows_ = 0;
};

int contactColumnByName(const std::string& name);  // -1 when unknown

}  // namespace host
