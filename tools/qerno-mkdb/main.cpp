// qerno-mkdb [--local-host] PATH: creates the program's database file with
// its schema; with --local-host it also holds one host, "本机" at 127.0.0.1
// with the log flag off, so a first start shows a live row at once instead
// of an empty list. Never overwrites: an existing PATH is an error. Exit
// code 0 on success.
#include <cstdio>
#include <cstring>

#include "store/file_probe.h"
#include "store/host_record.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "store/sqlite_table.h"

namespace {

// The host the program ships with: this machine, which always answers.
HostRecord localHost() {
    HostRecord host;
    host.name = "本机";
    host.address = "127.0.0.1";
    for (int i = 0; i < kHostClasses; ++i) {
        host.time[i] = kNewHostTimes[i];
        host.color[i] = kNewHostColours[i];
    }
    host.logFlag = 0;
    host.autoStart = 1;
    return host;
}

bool addLocalHost(const Text& path) {
    SqliteDB db;
    SqliteTable table;
    if (!db.open(path) || !openHostTable(table, db) || !table.addNew()) return false;
    const bool written = writeHostRecord(table, localHost(), kHostFormFields) && table.update();
    table.close();
    db.close();
    return written;
}

int usage() {
    std::fprintf(stderr, "usage: qerno-mkdb [--local-host] PATH\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const bool withLocalHost = argc == 3 && std::strcmp(argv[1], "--local-host") == 0;
    if (argc != 2 && !withLocalHost) return usage();
    const char* file = argv[argc - 1];
    // The path arrives in the shell's bytes (ASCII in the build scripts).
    const Text path(file);
    if (canOpenForReading(path)) {
        std::fprintf(stderr, "qerno-mkdb: %s exists; not overwritten\n", file);
        return 1;
    }
    if (!CreateDatabaseFile(path)) {
        std::fprintf(stderr, "qerno-mkdb: cannot create %s\n", file);
        return 1;
    }
    if (withLocalHost && !addLocalHost(path)) {
        std::fprintf(stderr, "qerno-mkdb: cannot add the local host to %s\n", file);
        return 1;
    }
    return 0;
}
