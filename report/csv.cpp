#include "report/csv.h"

namespace {

constexpr std::string_view kCharsNeedingQuotes = ",\"\r\n";
constexpr char kQuote = '"';
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

void AppendCsvField(std::string& out, std::string_view utf8) {
    if (utf8.find_first_of(kCharsNeedingQuotes) == std::string_view::npos) {
        out += utf8;
        return;
    }
    out += kQuote;
    for (char c : utf8) {
        out += c;
        if (c == kQuote) out += kQuote;
    }
    out += kQuote;
}

void AppendCsvLine(std::string& out, const std::vector<std::string_view>& utf8Fields) {
    for (std::size_t i = 0; i < utf8Fields.size(); ++i) {
        if (i > 0) out += ',';
        AppendCsvField(out, utf8Fields[i]);
    }
    out += kLineEnd;
}

std::string CsvField(std::string_view utf8) {
    std::string out;
    AppendCsvField(out, utf8);
    return out;
}

std::string CsvLine(const std::vector<std::string>& utf8Fields) {
    std::string out;
    for (std::size_t i = 0; i < utf8Fields.size(); ++i) {
        if (i > 0) out += ',';
        AppendCsvField(out, utf8Fields[i]);
    }
    out += kLineEnd;
    return out;
}
