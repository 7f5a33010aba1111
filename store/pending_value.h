// PendingValue: one column's value waiting for SqliteTable::update.
// Kinds: integer (32-bit), int64, real, text (code page), blob.
#pragma once

#include <cstdint>
#include <variant>

#include "runtime/text.h"
#include "runtime/values.h"

struct sqlite3_stmt;

using PendingValue = std::variant<std::monostate, std::int32_t, std::int64_t, double, Text, ByteSet>;

inline bool hasValue(const PendingValue& v) { return !std::holds_alternative<std::monostate>(v); }

// Binds a held value to parameter `index` (1-based). A text that does not
// convert to UTF-8 is left unbound, so SQLite writes NULL.
bool bindPending(sqlite3_stmt* stmt, int index, const PendingValue& value);
