// A serial store in a SQLite file: written ahead to its log and flushed at every commit, so
// a committed reservation survives a power cut; SQLite's own locks (on the file, whatever
// name or link reaches it) keep writers apart.

#include "cli/database.h"
#include "cli/error.h"

#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

// The boot, the process and its start: a process id alone may be reused by another program.
std::string ProcessIdentity(const std::string& pid)
{
    std::ifstream bootFile("/proc/sys/kernel/random/boot_id");
    std::string boot;
    std::getline(bootFile, boot);
    std::ifstream statFile("/proc/" + pid + "/stat");
    std::string stat;
    if (!std::getline(statFile, stat))
        return {};
    // The start time is the 22nd field; the second, the program's name, may hold spaces.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int at = 3; at <= 22 && fields >> field; ++at) {
    }
    return boot + ":" + pid + ":" + field;
}

class Sqlite final : public Database {
public:
    Sqlite(std::string name, std::string path, bool create, WaitingNote waiting)
        : m_name(std::move(name)), m_path(std::move(path)), m_waiting(std::move(waiting))
    {
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) |
                          SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
        if (::sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
            const std::string reason = m_db ? ::sqlite3_errmsg(m_db) : "out of memory";
            ::sqlite3_close(m_db);
            throw Error(m_name + ": cannot be opened: " + reason);
        }
        ::sqlite3_busy_handler(m_db, &Sqlite::busy, this);
        try {
            // A commit reaches the disk before it returns, and costs one flush of the log.
            execute("PRAGMA journal_mode = WAL");
            execute("PRAGMA synchronous = FULL");
            execute("PRAGMA foreign_keys = ON");
        } catch (...) {
            m_statements.clear();
            ::sqlite3_close(m_db);
            throw;
        }
    }
    ~Sqlite() override
    {
        m_statements.clear();
        ::sqlite3_close(m_db);
    }

    const std::string& name() const override { return m_name; }

    Rows run(std::string_view sql, const std::vector<Cell>& parameters) override
    {
        sqlite3_stmt* statement = prepared(sql);
        // Ready for the next run however this one ends.
        const std::unique_ptr<sqlite3_stmt, void (*)(sqlite3_stmt*)> reset(
            statement, [](sqlite3_stmt* used) {
                ::sqlite3_reset(used);
                ::sqlite3_clear_bindings(used);
            });
        for (std::size_t at = 0; at < parameters.size(); ++at) {
            const int index = static_cast<int>(at + 1);
            const int bound = parameters[at]
                                  ? ::sqlite3_bind_text(statement, index, parameters[at]->data(),
                                                        static_cast<int>(parameters[at]->size()),
                                                        SQLITE_TRANSIENT)
                                  : ::sqlite3_bind_null(statement, index);
            if (bound != SQLITE_OK)
                fail();
        }
        Rows rows;
        for (;;) {
            const int stepped = ::sqlite3_step(statement);
            if (stepped == SQLITE_DONE)
                return rows;
            // A few locks are not waited for by the busy handler (a store being set up by
            // another batch, its log being switched on); a statement outside a transaction
            // did nothing yet and is simply tried again.
            if ((stepped & 0xFF) == SQLITE_BUSY && rows.empty() && ::sqlite3_get_autocommit(m_db)) {
                ::sqlite3_reset(statement);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if (stepped != SQLITE_ROW)
                fail();
            Row& row = rows.emplace_back();
            for (int column = 0; column < ::sqlite3_column_count(statement); ++column) {
                const auto* text = ::sqlite3_column_text(statement, column);
                row.push_back(text ? Cell(reinterpret_cast<const char*>(text)) : std::nullopt);
            }
        }
    }

    void beginWrite() override { execute("BEGIN IMMEDIATE"); }
    void commit() override { execute("COMMIT"); }
    void rollback() noexcept override
    {
        if (!::sqlite3_get_autocommit(m_db))
            ::sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }

    bool hasTable(std::string_view table) override
    {
        return !query("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?",
                      {std::string(table)})
                    .empty();
    }
    std::string_view counterKey() const override { return "INTEGER PRIMARY KEY"; }
    std::string_view byKey() const override { return "WITHOUT ROWID"; }

    std::string holder() override { return ProcessIdentity(std::to_string(::getpid())); }

    // A batch of another machine sharing the disk cannot be asked; it counts as running.
    bool holds(const std::string& machine, const std::string& holder) override
    {
        if (machine != ThisStation())
            return true;
        const std::size_t pidStart = holder.find(':') + 1;
        const std::string pid = holder.substr(pidStart, holder.find(':', pidStart) - pidStart);
        return !pid.empty() && ProcessIdentity(pid) == holder;
    }

    bool isFile(const std::string& path) const override
    {
        struct stat mine {}, theirs {};
        return ::stat(m_path.c_str(), &mine) == 0 && ::stat(path.c_str(), &theirs) == 0 &&
               mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
    }

private:
    // A batch runs the same few statements for every image: each is prepared once.
    sqlite3_stmt* prepared(std::string_view sql)
    {
        auto& statement = m_statements[std::string(sql)];
        if (!statement) {
            sqlite3_stmt* made = nullptr;
            if (::sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &made,
                                     nullptr) != SQLITE_OK)
                fail();
            statement.reset(made);
        }
        return statement.get();
    }

    [[noreturn]] void fail() const
    {
        const int code = ::sqlite3_extended_errcode(m_db);
        std::string reason = ::sqlite3_errmsg(m_db);
        if (code == SQLITE_READONLY || code == SQLITE_READONLY_DIRECTORY ||
            code == SQLITE_CANTOPEN)
            reason += " (a store's folder and file must be writable)";
        else if (code == SQLITE_FULL)
            reason = "disk full";
        else if (code == SQLITE_NOTADB)
            reason = "not a serial store";
        throw Error(m_name + ": " + reason);
    }

    // Another batch is writing: tell the user once, then wait for it as long as it takes.
    // Writers take turns for a moment at every image, which is not worth a word; a wait of
    // a second is.
    static int busy(void* self, int tries)
    {
        auto* database = static_cast<Sqlite*>(self);
        if (tries == 500 && !database->m_toldWaiting && database->m_waiting) {
            database->m_waiting(database->m_name + " is in use by another batch; waiting for it");
            database->m_toldWaiting = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return 1;
    }

    std::string m_name;
    std::string m_path;
    WaitingNote m_waiting;
    sqlite3* m_db = nullptr;
    struct Finalize {
        void operator()(sqlite3_stmt* statement) const { ::sqlite3_finalize(statement); }
    };
    std::map<std::string, std::unique_ptr<sqlite3_stmt, Finalize>> m_statements;
    bool m_toldWaiting = false;
};

} // namespace

std::unique_ptr<Database> OpenSqlite(const std::string& name, const std::string& path, bool create,
                                     const WaitingNote& waiting)
{
    return std::make_unique<Sqlite>(name, path, create, waiting);
}

std::string ThisStation()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    return name;
}

} // namespace cli
