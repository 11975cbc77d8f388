#include "host/contact_table.h"

#include <stdlib.h>
#include <string.h>
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
// line breaks inside quoted fields. The fields' bytes go one after another
// into record, and ends holds where each field ends: nothing is allocated
// once the two have grown to the longest record. Returns false at the end.
bool readRecord(const std::string& text, size_t& pos, int& line, std::string& record, std::vector<size_t>& ends,
                const std::string& origin)
{
    record.clear();
    ends.clear();
    if (pos >= text.size())
        return false;
    int startLine = line;
    bool quoted = false, wasQuoted = false;
    size_t fieldStart = 0;
    while (pos < text.size()) {
        char c = text[pos++];
        if (quoted) {
            if (c == '"') {
                if (pos < text.size() && text[pos] == '"') {
                    record += '"';
                    ++pos;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n')
                    ++line;
                record += c;
            }
        } else if (c == '"' && record.size() == fieldStart && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            ends.push_back(record.size());
            fieldStart = record.size();
            wasQuoted = false;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && pos < text.size() && text[pos] == '\n')
                ++pos;
            ++line;
            ends.push_back(record.size());
            return true;
        } else if (wasQuoted) {
            throw HostError(origin + ":" + std::to_string(line) + ": text after a closing quote");
        } else {
            record += c;
        }
    }
    if (quoted)
        throw HostError(origin + ":" + std::to_string(startLine) + ": quoted field is never closed");
    ends.push_back(record.size());
    ++line;
    return true;
}

bool isAscii(const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
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

ContactTable ContactTable::fromCsvText(const std::string& text, const std::string& origin)
{
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a byte-order mark is not part of the first name

    ContactTable table;
    int line = 1;
    std::string record;
    std::vector<size_t> ends;
    if (!readRecord(text, pos, line, record, ends, origin) || (ends.size() == 1 && record.empty()))
        throw HostError(origin + ": no header row naming the columns");
    size_t start = 0;
    for (size_t end : ends) {
        std::string name = record.substr(start, end - start);
        start = end;
        int column = contactColumnByName(name);
        if (column < 0)
            throw HostError(origin + ":1: unknown column name '" + name + "'");
        if (table.columnIndex_.count(column))
            throw HostError(origin + ":1: column '" + name + "' named twice");
        table.addColumn(column);
    }

    table.arena_.reserve(text.size() + text.size() / 4);
    int recordLine = line;
    while (readRecord(text, pos, line, record, ends, origin)) {
        if (ends.size() == 1 && record.empty()) {  // blank line
            recordLine = line;
            continue;
        }
        std::string where = origin + ":" + std::to_string(recordLine);
        if (ends.size() != table.columns_.size())
            throw HostError(where + ": " + std::to_string(ends.size()) + " fields, the header names " +
                            std::to_string(table.columns_.size()));
        start = 0;
        for (size_t i = 0; i < ends.size(); ++i) {
            const char* field = record.data() + start;
            size_t length = ends[i] - start;
            start = ends[i];
            // The plug-in reads texts up to their terminator: one inside would cut the text short.
            if (memchr(field, '\0', length))
                throw HostError(where + ": a NUL byte inside a field");
            if (table.columns_[i] == COLUMN_NET &&
                std::string(field, length).find_first_not_of("-0123456789") != std::string::npos)
                throw HostError(where + ": network '" + std::string(field, length) + "' is not a number");
            if (isAscii(field, length)) {
                table.cells_.push_back(table.store(field, length));
                continue;
            }
            try {
                std::string converted = utf8ToCp1250(std::string(field, length));
                table.cells_.push_back(table.store(converted.data(), converted.size()));
            } catch (const HostError& error) {
                throw HostError(where + ": " + error.what());
            }
        }
        ++table.rows_;
        recordLine = line;
    }
    table.arena_.shrink_to_fit();
    return table;
}

size_t ContactTable::addColumn(int column)
{
    if (arena_.empty())
        arena_.push_back('\0');  // offset 0: the empty text
    size_t index = columns_.size();
    columnIndex_[column] = index;
    columns_.push_back(column);
    if (rows_ > 0) {
        std::vector<uint32_t> widened;
        widened.reserve(static_cast<size_t>(rows_) * columns_.size());
        for (int row = 0; row < rows_; ++row) {
            auto begin = cells_.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(row) * index);
            widened.insert(widened.end(), begin, begin + static_cast<ptrdiff_t>(index));
            widened.push_back(0);
        }
        cells_.swap(widened);
    }
    return index;
}

uint32_t ContactTable::store(const char* text, size_t length)
{
    if (length == 0)
        return 0;
    if (arena_.size() + length + 1 > UINT32_MAX)
        throw HostError("contact table over 4 GB");
    uint32_t offset = static_cast<uint32_t>(arena_.size());
    arena_.append(text, length);
    arena_.push_back('\0');
    return offset;
}

void ContactTable::addRow(const std::map<int, std::string>& cellsByColumn)
{
    for (const auto& cell : cellsByColumn) {
        if (!columnIndex_.count(cell.first))
            addColumn(cell.first);
    }
    if (arena_.empty())
        arena_.push_back('\0');
    size_t first = cells_.size();
    cells_.resize(first + columns_.size(), 0);
    for (const auto& cell : cellsByColumn)
        cells_[first + columnIndex_[cell.first]] = store(cell.second.data(), cell.second.size());
    ++rows_;
}

const char* ContactTable::text(int row, int column) const
{
    if (row < 0 || row >= rows_)
        return nullptr;
    auto found = columnIndex_.find(column);
    if (found == columnIndex_.end())
        return nullptr;
    return arena_.data() + cells_[static_cast<size_t>(row) * columns_.size() + found->second];
}

int ContactTable::integer(int row, int column) const
{
    const char* cell = text(row, column);
    return cell ? atoi(cell) : 0;
}

}  // namespace host
