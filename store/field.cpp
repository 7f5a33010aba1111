#include "store/field.h"

#include <sqlite3.h>

#include <cstring>
#include <type_traits>

#include "runtime/codepage.h"

std::string foldFieldName(const std::string& name) {
    std::string out = name;
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 0x80) {
            ++i;  // the next byte belongs to this character
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

int resolveField(const FieldSelector& selector, const std::string& nameForm,
                 const std::vector<std::string>& foldedNames) {
    if (selector.isName()) {
        if (nameForm.empty()) return -1;
        const std::string folded = foldFieldName(nameForm);
        for (std::size_t i = 0; i < foldedNames.size(); ++i)
            if (foldedNames[i] == folded) return static_cast<int>(i);
        return -1;
    }
    const std::int64_t n = selector.number();
    if (n < 1 || n > static_cast<std::int64_t>(foldedNames.size())) return -1;
    return static_cast<int>(n - 1);
}

void storeColumn(sqlite3_stmt* stmt, int column, const FieldVariable& variable) {
    std::visit(
        [&](auto* out) {
            using T = std::remove_pointer_t<decltype(out)>;
            if constexpr (std::is_same_v<T, bool>) {
                *out = sqlite3_column_int(stmt, column) != 0;
            } else if constexpr (std::is_same_v<T, std::uint8_t> || std::is_same_v<T, std::int16_t> ||
                                 std::is_same_v<T, int>) {
                *out = static_cast<T>(sqlite3_column_int(stmt, column));
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                *out = sqlite3_column_int64(stmt, column);
            } else if constexpr (std::is_same_v<T, float>) {
                *out = static_cast<float>(sqlite3_column_double(stmt, column));
            } else if constexpr (std::is_same_v<T, double>) {
                *out = sqlite3_column_double(stmt, column);
            } else if constexpr (std::is_same_v<T, DateTime>) {
                *out = DateTime{sqlite3_column_double(stmt, column)};
            } else if constexpr (std::is_same_v<T, Text>) {
                const unsigned char* text = sqlite3_column_text(stmt, column);
                const int n = sqlite3_column_bytes(stmt, column);
                *out = text ? utf8ToGbk(std::string(reinterpret_cast<const char*>(text), n)) : Text();
            } else {
                const void* blob = sqlite3_column_blob(stmt, column);
                const int n = sqlite3_column_bytes(stmt, column);
                const auto* bytes = static_cast<const std::uint8_t*>(blob);
                *out = blob && n > 0 ? ByteSet(bytes, bytes + n) : ByteSet();
            }
        },
        variable);
}

void storeZero(const FieldVariable& variable) {
    std::visit([](auto* out) { *out = std::remove_pointer_t<decltype(out)>{}; }, variable);
}
