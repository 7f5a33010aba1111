#include "report/report_reader.h"

#include <sqlite3.h>

#include <algorithm>

#include "history/history_store.h"
#include "store/sqlite_statement.h"

namespace {

// Date texts of the same form compare in time order; an open row's end is
// empty (or NULL in a file another tool touched).
const char* const kSelectOutages =
    "SELECT name, ip, kind, start, end, worst FROM outage"
    " WHERE list_id = ?1 AND start < ?2 AND (end = '' OR end IS NULL OR end > ?3)";

std::string columnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

void bindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool readOutages(sqlite3* db, const ReportRequest& r, const ReportHost& host, ReportInput& input) {
    SqliteStatement select;
    if (!select.prepare(db, kSelectOutages)) return false;
    sqlite3_stmt* s = select.get();
    sqlite3_bind_int(s, 1, host.id);
    bindText(s, 2, utcText(r.to));
    bindText(s, 3, utcText(r.from));
    int rc;
    while ((rc = select.step()) == SQLITE_ROW) {
        const std::optional<LocalSeconds> start = utcFromText(columnText(s, 3));
        if (!start) continue;  // not a date text: nothing to place it by
        ReportOutageRow row;
        row.hostId = host.id;
        row.name = columnText(s, 0);
        row.address = columnText(s, 1);
        row.kind = sqlite3_column_int(s, 2);
        row.start = *start;
        row.end = utcFromText(columnText(s, 4));
        row.worst = sqlite3_column_int(s, 5);
        input.outages.push_back(row);
    }
    return rc == SQLITE_DONE;
}

void readPeriods(HistoryStore& store, const ReportRequest& r, const LocalClock& clock, const ReportHost& host,
                 ReportInput& input) {
    const UtcSeconds from = clock.toUtc(r.from), to = clock.toUtc(std::min(r.to, r.now));
    for (int period : kPeriods) {
        for (const StoredPeriod& row : store.rows(host.id, period, from, to)) {
            ReportPeriod p;
            p.hostId = host.id;
            p.period = period;
            p.start = clock.toLocal(row.start);
            p.sent = row.figures.sent;
            p.lost = row.figures.lost;
            p.avg = row.figures.avg;
            p.max = row.figures.max;
            input.periods.push_back(p);
        }
    }
}

}  // namespace

bool readReportInput(const Text& databasePath, const ReportRequest& request, const LocalClock& clock,
                     ReportInput& input) {
    HistoryStore store;
    if (!store.open(databasePath)) return false;
    sqlite3* db = store.database().connection();
    for (const ReportHost& host : request.hosts) {
        if (!readOutages(db, request, host, input)) return false;
        readPeriods(store, request, clock, host, input);
    }
    return true;
}
