// How the layer names a field and where a read value goes.
//
// FieldSelector: a field name (non-empty text, matched against the column
// names with ASCII letters upper-cased, first match in column order wins) or
// a 1-based column number of any numeric type (floats truncated), > 0.
// FieldVariable: the typed variable a `read` stores into.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "runtime/text.h"
#include "runtime/values.h"

struct sqlite3_stmt;

class FieldSelector {
public:
    FieldSelector(const Text& name) : name_(name) {}             // NOLINT: implicit by design
    FieldSelector(const char* name) : name_(name) {}             // NOLINT
    FieldSelector(std::uint8_t number) : number_(number) {}      // NOLINT
    FieldSelector(std::int16_t number) : number_(number) {}      // NOLINT
    FieldSelector(int number) : number_(number) {}               // NOLINT
    FieldSelector(std::int64_t number) : number_(number) {}      // NOLINT
    FieldSelector(float number) : number_(truncate(number)) {}   // NOLINT
    FieldSelector(double number) : number_(truncate(number)) {}  // NOLINT

    bool isName() const { return !name_.empty(); }
    const Text& name() const { return name_; }
    // The 1-based number, or 0 for a name or an unusable number.
    std::int64_t number() const { return number_ > 0 ? number_ : 0; }

private:
    static std::int64_t truncate(double v) {
        return v > 0 && v < 9.2e18 ? static_cast<std::int64_t>(v) : 0;
    }
    Text name_;
    std::int64_t number_ = 0;
};

using FieldVariable = std::variant<bool*, std::uint8_t*, std::int16_t*, int*, std::int64_t*, float*,
                                   double*, DateTime*, Text*, ByteSet*>;

// Upper-cases ASCII a-z byte-wise; a byte of 0x80 or above carries the byte
// after it over unchanged (double-byte characters are never folded).
std::string foldFieldName(const std::string& name);

// The 0-based index of `selector` among `names` (already folded with
// foldFieldName when the selector is a name), or -1. `nameForm` is the
// selector's name as the column names are written (code page or UTF-8).
int resolveField(const FieldSelector& selector, const std::string& nameForm,
                 const std::vector<std::string>& foldedNames);

// Stores column `column` of the statement's current row into the variable
// by the variable's type.
void storeColumn(sqlite3_stmt* stmt, int column, const FieldVariable& variable);
// Stores the zero value of the variable's type (0, the empty text, no bytes).
void storeZero(const FieldVariable& variable);
