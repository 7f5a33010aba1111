// One integer column of a query's rows, in result order, for the host tests'
// checks of what landed in the database. Empty when the query fails.
#pragma once

#include <string>
#include <vector>

#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"

inline std::vector<int> integerColumn(const std::string& sql, SqliteDB& db) {
    std::vector<int> values;
    SqliteDataset rows;
    if (!rows.open(sql.c_str(), db) || !rows.requery()) return values;
    while (rows.moveNext()) {
        int v = 0;
        rows.read(1, v);
        values.push_back(v);
    }
    return values;
}

// The first value of that column, or -1.
inline int integerScalar(const std::string& sql, SqliteDB& db) {
    std::vector<int> v = integerColumn(sql, db);
    return v.empty() ? -1 : v[0];
}
