// qerno-mkdb PATH: creates the program's database file with its schema.
// Never overwrites: an existing PATH is an error. Exit code 0 on success.
#include <cstdio>

#include "store/file_probe.h"
#include "store/schema.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qerno-mkdb PATH\n");
        return 2;
    }
    // The path arrives in the shell's bytes (ASCII in the build scripts).
    const Text path(argv[1]);
    if (canOpenForReading(path)) {
        std::fprintf(stderr, "qerno-mkdb: %s exists; not overwritten\n", argv[1]);
        return 1;
    }
    if (!CreateDatabaseFile(path)) {
        std::fprintf(stderr, "qerno-mkdb: cannot create %s\n", argv[1]);
        return 1;
    }
    return 0;
}
