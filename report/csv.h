// CSV text for files a user opens in a spreadsheet: fields separated by
// commas, lines ended by CR LF, a field quoted (its quotes doubled) only
// when it holds a comma, a quote, a CR or an LF, so that a host named
// a,"b" or one with a line break reads back as one field.
//
// The text is UTF-8, the data layer's own: read stored text as UTF-8 bytes
// and put it here as it is. Converting through the program's GBK texts
// would turn any character GBK lacks into "?". A file starts with kUtf8Bom,
// which spreadsheet programs need to read it as UTF-8 rather than in the
// system's code page. Any thread; pure functions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string CsvField(std::string_view utf8);
// The fields joined by commas, each as CsvField gives it, then "\r\n".
std::string CsvLine(const std::vector<std::string>& utf8Fields);

// The same appended to `out`: a long export builds its lines in one buffer
// rather than allocating a string per field.
void AppendCsvField(std::string& out, std::string_view utf8);
void AppendCsvLine(std::string& out, const std::vector<std::string_view>& utf8Fields);
