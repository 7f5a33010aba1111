#include "store/pending_value.h"

#include <sqlite3.h>

#include "runtime/codepage.h"

bool bindPending(sqlite3_stmt* stmt, int index, const PendingValue& value) {
    switch (value.index()) {
    case 1:
        return sqlite3_bind_int(stmt, index, std::get<std::int32_t>(value)) == SQLITE_OK;
    case 2:
        return sqlite3_bind_int64(stmt, index, std::get<std::int64_t>(value)) == SQLITE_OK;
    case 3:
        return sqlite3_bind_double(stmt, index, std::get<double>(value)) == SQLITE_OK;
    case 4: {
        const std::string utf8 = gbkToUtf8(std::get<Text>(value));
        if (utf8.empty()) return true;  // left unbound: NULL
        return sqlite3_bind_text(stmt, index, utf8.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK;
    }
    case 5: {
        const ByteSet& bytes = std::get<ByteSet>(value);
        return sqlite3_bind_blob(stmt, index, bytes.data(), static_cast<int>(bytes.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    default:
        return false;
    }
}
