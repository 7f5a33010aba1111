// qerno-report: writes the outage report of every host of a database.db, as
// the program's "生成" does, for a range of local date texts.
//   qerno-report DATABASE "yyyy-MM-dd HH:mm:ss" "yyyy-MM-dd HH:mm:ss" OUT.html
// Exit code 0 when written, 1 when the file cannot be read or written or the
// range holds nothing, 2 for a usage error.
#include <cstdio>
#include <ctime>
#include <fstream>

#include "report/report_html.h"
#include "report/report_reader.h"
#include "runtime/codepage.h"
#include "store/host_record.h"
#include "store/sqlite_db.h"
#include "store/sqlite_table.h"

namespace {

std::vector<ReportHost> hostsOf(const Text& path) {
    std::vector<ReportHost> hosts;
    SqliteDB db;
    SqliteTable table;
    if (!db.open(path) || !openHostTable(table, db)) return hosts;
    const int count = table.recordCount();
    table.moveFirst();
    for (int i = 0; i < count; ++i, table.skip(1)) {
        HostRecord host;
        readHostRecord(table, host, {HostField::id, HostField::name, HostField::address});
        hosts.push_back({host.id, gbkToUtf8(host.name), gbkToUtf8(host.address)});
    }
    return hosts;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: qerno-report DATABASE FROM TO OUT.html\n");
        return 2;
    }
    const LocalClock clock = machineLocalClock();
    ReportRequest request;
    const std::optional<LocalSeconds> from = utcFromText(argv[2]), to = utcFromText(argv[3]);
    if (!from || !to || *from >= *to) {
        std::fprintf(stderr, "qerno-report: FROM and TO are date texts, FROM before TO\n");
        return 2;
    }
    request.from = *from;
    request.to = *to;
    request.now = clock.toLocal(utcNow());
    const Text path(argv[1]);
    request.hosts = hostsOf(path);
    ReportInput input;
    if (request.hosts.empty() || !readReportInput(path, request, clock, input)) {
        std::fprintf(stderr, "qerno-report: cannot read %s\n", argv[1]);
        return 1;
    }
    const ReportFigures figures = computeReport(request, input);
    if (!figures.hasData()) {
        std::fprintf(stderr, "qerno-report: nothing in that range\n");
        return 1;
    }
    std::ofstream out(argv[4], std::ios::binary);
    out << reportHtml(figures);
    return out.good() ? 0 : 1;
}
