#include "host/contact_table.h"

#include <stdlib.h>
#include <fstream>
#include <sstream>

#include "host/host_error.h"
#include "host/text_codec.h"

namespace host {

const ContactColumn contactColumns[] = {
    {0, "uid", "UID"},
    {1, "net", "sieć"},
    {4, "ip", "IP"},
    {6, "first_name", "imię"},
    {7, "last_name", "nazwisko"},
    {8, "display", "wyświetl jako"},
    {9, "mobile", "komórka"},
    {13, "city", "miejscowość"},
    {17, "nick", "ksywka"},
    {18, "description", "opis"},
};
const size_t contactColumnCount = sizeof contactColumns / sizeof contactColumns[0];

int contactColumnByName(const std::string& name)
{
    for (const ContactColumn& column : contactColumns) {
        if (name == column.name)
            return column.number;
    }
    // Any other host column by number, e.g. "col5".
    if (name.size() > 3 && name.compare(0, 3, "col") == 0 &&
        name.find_first_not_of("0123456789", 3) == std::string::npos && name.size() <= 6)
        return atoi(name.c_str() + 3);
    return -1;
}

namespace {

// One record of RFC 4180 CSV: commas, double quotes, "" inside quotes,
// line breaks inside quoted fields. Returns false at the end of the text.
bool readRecord(const std::string& text, size_t& pos, int& line, std::vector<std::string>& fields,
                const std::string& origin)
{
    fields.clear();
    if (pos >= text.size())
        return false;
    int startLine = line;
    std::string field;
    bool quoted = false, wasQuoted = false;
    while (pos < text.size()) {
        char c = text[pos++];
        if (quoted) {
            if (c == '"') {
                if (pos < text.size() && text[pos] == '"') {
                    field += '"';
                    ++pos;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n')
                    ++line;
                field += c;
            }
        } else if (c == '"' && field.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            fields.push_back(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && pos < text.size() && text[pos] == '\n')
                ++pos;
            ++line;
            fields.push_back(field);
            return true;
        } else if (wasQuoted) {
            throw HostError(origin + ":" + std::to_string(line) + ": text after a closing quote");
        } else {
            field += c;
        }
    }
    if (quoted)
        throw HostError(origin + ":" + std::to_string(startLine) + ": quoted field is never closed");
    fields.push_back(field);
    ++line;
    return true;
}

}  // namespace

ContactTable ContactTable::fromCsvFile(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    if (!file)
        throw HostError("cannot read contact file " + path);
    std::ostringstream content;
    content << file.rdbuf();
    return fromCsvText(content.str(), path);
}

ContactTable ContactTable::fromCsvText(const std::string& rawText, const std::string& origin)
{
    std::string text = rawText;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);  // a byte-order mark is not part of the first name

    ContactTable table;
    size_t pos = 0;
    int line = 1;
    std::vector<std::string> fields;
    if (!readRecord(text, pos, line, fields, origin) || (fields.size() == 1 && fields[0].empty()))
        throw HostError(origin + ": no header row naming the columns");
    for (const std::string& name : fields) {
        int column = contactColumnByName(name);
        if (column < 0)
            throw HostError(origin + ":1: unknown column name '" + name + "'");
        if (table.columnIndex_.count(column))
            throw HostError(origin + ":1: column '" + name + "' named twice");
        table.columnIndex_[column] = table.columns_.size();
        table.columns_.push_back(column);
    }

    int recordLine = line;
    while (readRecord(text, pos, line, fields, origin)) {
        if (fields.size() == 1 && fields[0].empty()) {  // blank line
            recordLine = line;
            continue;
        }
        std::string where = origin + ":" + std::to_string(recordLine);
        if (fields.size() != table.columns_.size())
            throw HostError(where + ": " + std::to_string(fields.size()) + " fields, the header names " +
                            std::to_string(table.columns_.size()));
        std::vector<std::string> row;
        for (size_t i = 0; i < fields.size(); ++i) {
            try {
                row.push_back(utf8ToCp1250(fields[i]));
            } catch (const HostError& error) {
                throw HostError(where + ": " + error.what());
            }
            if (table.columns_[i] == COLUMN_NET && fields[i].find_first_not_of("-0123456789") != std::string::npos)
                throw HostError(where + ": network '" + fields[i] + "' is not a number");
        }
        table.cells_.push_back(row);
        recordLine = line;
    }
    return table;
}

void ContactTable::addRow(const std::map<int, std::string>& cellsByColumn)
{
    for (const auto& cell : cellsByColumn) {
        if (!columnIndex_.count(cell.first)) {
            columnIndex_[cell.first] = columns_.size();
            columns_.push_back(cell.first);
            for (auto& row : cells_)
                row.push_back(std::string());
        }
    }
    std::vector<std::string> row(columns_.size());
    for (const auto& cell : cellsByColumn)
        row[columnIndex_[cell.first]] = cell.second;
    cells_.push_back(row);
}

const char* ContactTable::text(int row, int column) const
{
    if (row < 0 || row >= rows())
        return nullptr;
    auto found = columnIndex_.find(column);
    if (found == columnIndex_.end())
        return nullptr;
    return cells_[static_cast<size_t>(row)][found->second].c_str();
}

int ContactTable::integer(int row, int column) const
{
    const char* cell = text(row, column);
    return cell ? atoi(cell) : 0;
}

}  // namespace host
