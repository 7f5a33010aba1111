// How the program's own connection reads the file for the log page.
//
// A log query reads up to a few thousand pages scattered over the file: the
// rows of a sparse type lie across the whole table. Under Wine each page
// read is a system call through Wine's file layer, several times the cost
// it has natively (on a million rows the newest 1,000 timeouts took 75 ms,
// 16 ms natively); through a memory map the same query takes 7 ms. The map
// costs address space, which a 32-bit program under Wine also spends on its
// threads (2 MB each), so it is capped: a larger file is read through the
// map up to the cap and page by page beyond it. Where a map cannot be made
// SQLite reads page by page, as without one.
#pragma once

#include <cstdint>

class SqliteDB;

// About a million log rows with their indexes.
inline constexpr std::int64_t kLogReadsMapBytes = 128LL * 1024 * 1024;

// Lets `db` read the file through a map of up to kLogReadsMapBytes. False
// when not open or when SQLite (as built) allows less.
bool MapLogReads(SqliteDB& db);
