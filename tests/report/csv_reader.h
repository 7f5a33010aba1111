// A small CSV reader for the tests, as a spreadsheet reads a file: quoted
// fields may hold commas, doubled quotes and line breaks; records end with
// CR LF. Throws nothing; a malformed file gives what was read so far and
// sets `malformed`.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CsvTable {
    std::vector<std::vector<std::string>> rows;
    bool malformed = false;
};

inline CsvTable ReadCsv(std::string_view text) {
    CsvTable table;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, fieldStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
            else quoted = false;
            continue;
        }
        if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
            fieldStarted = false;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(field);
            table.rows.push_back(row);
            row.clear();
            field.clear();
            fieldStarted = false;
            ++i;
        } else {
            if (c == '"' || c == '\r' || c == '\n') table.malformed = true;  // bare in an unquoted field
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted || fieldStarted || !row.empty()) table.malformed = true;  // no closing quote or CR LF
    return table;
}
