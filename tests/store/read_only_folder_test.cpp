// The start-up's check of database.db in a real read-only folder: a
// read-only bind mount in a mount namespace of a child process, where even
// root cannot write. Skipped where the system allows no mount namespace.
// Native only (fork, mount).
#include <gtest/gtest.h>

#include <sched.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "store/database_check.h"
#include "store/sqlite_db.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNoNamespace = 100;  // the child's exit code when it could not make the folder read-only

// A folder of its own, removed with the object.
class Folder {
public:
    Folder() {
        char name[] = "/tmp/qerno-ro-XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~Folder() { fs::remove_all(path_); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs the check in a child process that sees `folder` read-only.
int checkInReadOnlyFolder(const Folder& folder) {
    const pid_t child = fork();
    if (child == 0) {
        const char* dir = folder.path().c_str();
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(dir, dir, nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, dir, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            _exit(kNoNamespace);
        SqliteDB db;
        db.open(Text(folder.file("database.db")));
        _exit(static_cast<int>(CheckDatabase(db, 0)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A database.db with one table and row, in WAL or rollback mode; in WAL
// mode the -wal file (holding the row) is copied in as another program
// left it, and the -shm file only when asked.
void makeDatabase(const Folder& folder, bool wal, bool withWal, bool withShm) {
    const Folder source;
    const std::string path = source.file("database.db");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const std::string setup =
        std::string(wal ? "PRAGMA journal_mode=WAL;" : "") + "CREATE TABLE t(x); INSERT INTO t VALUES (1);";
    ASSERT_EQ(sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    // Copied while the connection is open: closing would fold the WAL back.
    fs::copy_file(path, folder.file("database.db"));
    if (withWal) fs::copy_file(path + "-wal", folder.file("database.db-wal"));
    if (withShm) fs::copy_file(path + "-shm", folder.file("database.db-shm"));
    sqlite3_close(db);
}

TEST(ReadOnlyFolder, AWalFileWithoutItsShmFileIsToldApart) {
    const struct {
        bool wal, withWal, withShm;
        DatabaseState expected;
        const char* why;
    } cases[] = {
        {true, true, false, DatabaseState::walWithoutShm, "WAL with its -wal file, no -shm"},
        {true, false, false, DatabaseState::walWithoutShm, "WAL, neither file beside it"},
        {true, true, true, DatabaseState::readOnly, "WAL with both files: readable, not writable"},
        {false, false, false, DatabaseState::readOnly, "rollback mode: readable, not writable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const Folder folder;
        ASSERT_FALSE(folder.path().empty());
        makeDatabase(folder, c.wal, c.withWal, c.withShm);
        const int state = checkInReadOnlyFolder(folder);
        if (state == kNoNamespace) GTEST_SKIP() << "no mount namespace here";
        EXPECT_EQ(state, static_cast<int>(c.expected));
    }
}

}  // namespace
