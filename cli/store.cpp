#include "cli/store.h"

#include "cli/error.h"
#include "cli/file_checks.h"
#include "image/safe_write.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace cli {

namespace {

// The schema, one step per version; a store is brought up to the last step when opened.
// `%KEY%` stands for the database's own counted key, `%BY_KEY%` for a table kept in the
// order of its key where the database can (every image writes one row: the fewer pages a
// commit writes, the faster a batch). No index beyond the keys: the searches that would
// use one run once a batch, not once an image.
constexpr std::array<std::string_view, 1> kMigrations = {
    R"(CREATE TABLE pool (
           id INTEGER PRIMARY KEY CHECK (id = 1),
           next_serial TEXT,
           used_up_after TEXT);
       INSERT INTO pool (id) VALUES (1);
       CREATE TABLE batches (
           id %KEY%,
           station TEXT NOT NULL,
           machine TEXT NOT NULL,
           holder TEXT NOT NULL,
           started TEXT NOT NULL,
           out_dir TEXT NOT NULL,
           format TEXT NOT NULL,
           profile TEXT NOT NULL,
           manifest TEXT,
           listed INTEGER NOT NULL DEFAULT 0);
       CREATE TABLE serials (
           serial TEXT PRIMARY KEY,
           state TEXT NOT NULL CHECK (state IN ('reserved', 'issued', 'void')),
           batch BIGINT NOT NULL REFERENCES batches (id),
           file TEXT NOT NULL,
           format TEXT NOT NULL,
           sha256 TEXT NOT NULL,
           station TEXT NOT NULL,
           reserved_at TEXT NOT NULL,
           settled_by BIGINT REFERENCES batches (id),
           why TEXT) %BY_KEY%)",
};

// Statements one at a time: a server takes several at once, SQLite's step does not.
std::vector<std::string> Statements(std::string_view script, const Database& db)
{
    std::vector<std::string> statements;
    std::string statement;
    for (char c : script) {
        if (c != ';') {
            statement += c;
            continue;
        }
        statements.push_back(statement);
        statement.clear();
    }
    statements.push_back(statement);
    for (std::string& each : statements)
        for (const auto& [mark, text] : {std::pair<std::string_view, std::string_view>{
                                             "%KEY%", db.counterKey()},
                                         {"%BY_KEY%", db.byKey()}})
            if (const auto at = each.find(mark); at != std::string::npos)
                each.replace(at, mark.size(), text);
    return statements;
}

template <typename Work>
void InTransaction(Database& db, const Work& work)
{
    db.beginWrite();
    try {
        work();
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

void Migrate(Database& db)
{
    InTransaction(db, [&] {
        std::size_t version = 0;
        if (db.hasTable("hubquill_schema"))
            version = std::stoul(db.query("SELECT version FROM hubquill_schema").at(0).at(0).value_or("0"));
        else
            db.execute("CREATE TABLE hubquill_schema (version INTEGER NOT NULL)");
        if (version > kMigrations.size())
            throw Error(db.name() + ": made by a newer version of hubquill-cli (schema " +
                        std::to_string(version) + "); this one knows up to " +
                        std::to_string(kMigrations.size()));
        for (std::size_t step = version; step < kMigrations.size(); ++step)
            for (const std::string& statement : Statements(kMigrations[step], db))
                db.execute(statement);
        if (version == kMigrations.size())
            return;
        db.execute("DELETE FROM hubquill_schema");
        db.execute("INSERT INTO hubquill_schema (version) VALUES (?)",
                   {std::to_string(kMigrations.size())});
    });
}

// ---- The file of a SQLite store ----

enum class FileKind { Absent, Database, StateFile };

struct StoreFile {
    std::string path; // links resolved
    FileKind kind;
};

std::string Prefix(const std::string& path, std::size_t size)
{
    std::ifstream file(path, std::ios::binary);
    std::string prefix(size, '\0');
    file.read(prefix.data(), static_cast<std::streamsize>(size));
    prefix.resize(static_cast<std::size_t>(file.gcount()));
    return prefix;
}

FileKind KindOf(const std::string& name, const std::string& path)
{
    const std::string prefix = Prefix(path, 16);
    if (prefix.empty() || prefix == std::string("SQLite format 3", 16))
        return FileKind::Database;
    if (const auto first = prefix.find_first_not_of(" \t\r\n"); first != std::string::npos &&
                                                                 prefix[first] == '{')
        return FileKind::StateFile;
    throw Error(name + ": not a serial store (neither a SQLite database nor a state file)");
}

// What is under the name, checked before anything is written there: a store is a plain
// file that this program may write, reached by one name only (SQLite keeps its log beside
// the name a store is opened by, so a second name would keep a second log).
StoreFile Inspect(const std::string& name)
{
    std::error_code error;
    const fs::file_status link = fs::symlink_status(name, error);
    if (error && error.value() != ENOENT)
        throw Error(name + ": " + image::ReasonOfError(error.value()));
    if (!fs::exists(link)) {
        const fs::path folder = fs::path(name).parent_path();
        if (!folder.empty() && !fs::is_directory(folder, error))
            throw Error(name + ": no such folder");
        return {name, FileKind::Absent};
    }
    const fs::path path = ResolvedPath(name);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throw Error(name + ": " + image::ReasonOfError(errno));
    if (S_ISDIR(status.st_mode))
        throw Error(name + ": is a folder, not a serial store");
    if (!S_ISREG(status.st_mode))
        throw Error(name + ": not a regular file; a serial store is one");
    if (status.st_nlink > 1)
        throw Error(name + ": the store has " + std::to_string(status.st_nlink) +
                    " names (hard links), and SQLite would keep a log beside each; keep one "
                    "name and reach it by symbolic links");
    if (!MayWrite(status, path))
        throw Error(name + ": read-only; a serial store must be writable");
    return {path.string(), KindOf(name, path.string())};
}

struct OldState {
    std::optional<std::string> next;
    std::optional<std::string> usedUpAfter;
};

OldState ReadOldState(const std::string& name, const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const auto state = nlohmann::json::parse(file, nullptr, false);
    auto text = [&](const char* key) -> std::optional<std::string> {
        if (state.is_object() && state.contains(key) && state[key].is_string())
            return state[key].get<std::string>();
        return std::nullopt;
    };
    OldState old{text("next_serial"), text("used_up_after")};
    if (!old.next && !old.usedUpAfter)
        throw Error(name + ": not a state file (one holds {\"next_serial\": \"...\"})");
    return old;
}

// A state file of the older kind becomes a SQLite store under the same name, with the same
// next serial. The new store is made beside it and takes its name in one step, while the
// state file is locked, so a second batch doing the same at once opens the store the first
// made instead of making its own; an older batch still running holds "NAME.lock", which is
// waited for too.
void TakeUpStateFile(const std::string& name, const std::string& path, const WaitingNote& note)
{
    const Descriptor oldLock{::open((name + ".lock").c_str(), O_RDWR | O_CLOEXEC)};
    if (oldLock.value >= 0)
        ::flock(oldLock.value, LOCK_EX);
    const Descriptor state{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (state.value < 0 || ::flock(state.value, LOCK_EX) != 0)
        throw Error(name + ": " + image::ReasonOfError(errno));
    struct stat locked {}, current {};
    if (::fstat(state.value, &locked) != 0 || ::stat(path.c_str(), &current) != 0 ||
        locked.st_ino != current.st_ino || KindOf(name, path) != FileKind::StateFile)
        return; // another batch took it up meanwhile
    const OldState old = ReadOldState(name, path);

    const std::string made = path + ".hq-store.tmp";
    ::unlink(made.c_str());
    try {
        auto db = OpenSqlite(name, made, true, note);
        Migrate(*db);
        db->execute("UPDATE pool SET next_serial = ?, used_up_after = ?", {old.next, old.usedUpAfter});
        db.reset();
        ::chmod(made.c_str(), locked.st_mode & 07777);
        if (::rename(made.c_str(), path.c_str()) != 0)
            throw Error(name + ": cannot be replaced: " + image::ReasonOfError(errno));
    } catch (...) {
        for (const char* suffix : {"", "-wal", "-shm"})
            ::unlink((made + suffix).c_str());
        throw;
    }
    for (const char* suffix : {"-wal", "-shm"})
        ::unlink((made + suffix).c_str());
    note(name + ": the state file is now a SQLite serial store, its next serial " +
         old.next.value_or("(none: the series ended with " + old.usedUpAfter.value_or("") + ")") +
         " kept; older versions of hubquill-cli do not read it");
}

std::unique_ptr<Database> OpenFileStore(const std::string& name, bool create, const WaitingNote& note)
{
    StoreFile file = Inspect(name);
    if (file.kind == FileKind::Absent && !create)
        throw Error(name + ": no such serial store");
    if (file.kind == FileKind::StateFile) {
        if (!create)
            throw Error(name + ": a state file of an older version; a batch takes it up into "
                               "a serial store");
        TakeUpStateFile(name, file.path, note);
        file = Inspect(name);
    }
    return OpenSqlite(name, file.path, create, note);
}

std::optional<Serial> SerialOfStore(const std::string& store, const Cell& text)
{
    if (!text)
        return std::nullopt;
    try {
        return SerialOf(*text);
    } catch (const Error& error) {
        throw Error(store + ": " + error.what());
    }
}

} // namespace

std::string UtcNow()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::unique_ptr<SerialStore> SerialStore::Open(const std::string& location, bool create,
                                               const WaitingNote& note)
{
    if (location.empty())
        throw Error("--state: no store named");
    auto store = std::make_unique<SerialStore>(IsPostgresUri(location)
                                                   ? OpenPostgres(location, note)
                                                   : OpenFileStore(location, create, note));
    store->migrate();
    return store;
}

std::optional<Serial> SerialStore::PeekNext(const std::string& location, const WaitingNote& note)
{
    if (location.empty())
        throw Error("--state: no store named");
    if (!IsPostgresUri(location)) {
        const StoreFile file = Inspect(location);
        if (file.kind == FileKind::Absent)
            return std::nullopt;
        if (file.kind == FileKind::StateFile) {
            const OldState old = ReadOldState(location, file.path);
            if (old.usedUpAfter)
                throw Error(location + ": the series ended with " + *old.usedUpAfter +
                            "; every serial of its width is issued (start a new series in a "
                            "new store)");
            return SerialOfStore(location, old.next);
        }
        const auto db = OpenSqlite(location, file.path, false, note);
        if (!db->hasTable("hubquill_schema"))
            return std::nullopt;
    }
    return Open(location, false, note)->next();
}

SerialStore::SerialStore(std::unique_ptr<Database> db) : m_db(std::move(db))
{
}

void SerialStore::migrate() { Migrate(*m_db); }

template <typename Work>
void SerialStore::inTransaction(const Work& work)
{
    InTransaction(*m_db, work);
}

std::optional<Serial> SerialStore::next()
{
    const Row pool = m_db->query("SELECT next_serial, used_up_after FROM pool").at(0);
    if (pool[1])
        throw Error(name() + ": the series ended with " + *pool[1] +
                    "; every serial of its width is issued (start a new series in a new store)");
    return SerialOfStore(name(), pool[0]);
}

void SerialStore::startBatch(const BatchRecord& batch)
{
    inTransaction([&] {
        m_batch = m_db->query("INSERT INTO batches (station, machine, holder, started, out_dir, "
                              "format, profile, manifest) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
                              "RETURNING id",
                              {batch.station, ThisStation(), m_db->holder(), UtcNow(), batch.outDir,
                               batch.format, batch.profile,
                               batch.manifest.empty() ? std::nullopt : Cell(batch.manifest)})
                      .at(0)
                      .at(0)
                      .value_or("");
    });
}

std::vector<SerialRecord> SerialStore::settleStopped(
    const std::function<bool(const std::string&, const std::string&)>& holdsImage)
{
    std::vector<SerialRecord> settled;
    inTransaction([&] {
        const Rows reserved = m_db->query(
            "SELECT s.serial, s.file, s.sha256, b.station, b.holder, b.machine FROM serials s "
            "JOIN batches b "
            "ON b.id = s.batch WHERE s.state = 'reserved' AND s.batch <> ? ORDER BY s.serial",
            {m_batch});
        for (const Row& row : reserved) {
            const std::string &serial = *row[0], &file = *row[1], &station = *row[3];
            const std::string& machine = *row[5];
            if (m_db->holds(machine, *row[4]))
                continue;
            // Its file can be looked at only on the machine that wrote it.
            const bool written = machine == ThisStation() && holdsImage(file, *row[2]);
            const std::string why =
                written ? "its batch was stopped after writing the image; issued by a later batch"
                        : "its batch was stopped before the image was written; never given out";
            m_db->execute("UPDATE serials SET state = ?, settled_by = ?, why = ? WHERE serial = ?",
                          {written ? "issued" : "void", m_batch, why, serial});
            settled.push_back({serial, written ? "issued" : "void", file, {}, *row[2], station, {}, why});
        }
    });
    return settled;
}

Serial SerialStore::reserve(const std::optional<std::string>& written, const Serial& wanted,
                            const std::function<PlannedImage(const Serial&)>& plan)
{
    Serial reserved;
    try {
        inTransaction([&] {
            if (written)
                m_db->execute("UPDATE serials SET state = 'issued', settled_by = ? WHERE serial = ?",
                              {m_batch, *written});
            reserved = wanted;
            if (const std::optional<Serial> free = next()) {
                if (!wanted.sameSeries(*free))
                    throw Error(name() + " keeps the series of " + free->text() + "; " +
                                wanted.text() + " is of another (a new series needs a new store)");
                if (wanted.before(*free))
                    reserved = *free;
            }
            const PlannedImage image = plan(reserved);
            m_db->execute("INSERT INTO serials (serial, state, batch, file, format, sha256, "
                          "station, reserved_at) SELECT ?, 'reserved', id, ?, format, ?, station, "
                          "? FROM batches WHERE id = ?",
                          {reserved.text(), image.file, image.sha256, UtcNow(), m_batch});
            const std::optional<Serial> after = Advanced(reserved, 1);
            m_db->execute("UPDATE pool SET next_serial = ?, used_up_after = ?",
                          {after ? Cell(after->text()) : std::nullopt,
                           after ? std::nullopt : Cell(reserved.text())});
        });
    } catch (const Error&) {
        if (written)
            markIssued(*written);
        throw;
    }
    return reserved;
}

void SerialStore::markIssued(const std::string& serial)
{
    inTransaction([&] {
        m_db->execute("UPDATE serials SET state = 'issued', settled_by = ? WHERE serial = ? AND "
                      "state = 'reserved'",
                      {m_batch, serial});
    });
}

void SerialStore::markVoid(const std::string& serial, const std::string& why)
{
    inTransaction([&] {
        m_db->execute("UPDATE serials SET state = 'void', settled_by = ?, why = ? WHERE serial "
                      "= ? AND state = 'reserved'",
                      {m_batch, why, serial});
    });
}

std::vector<SerialRecord> SerialStore::records(const std::string& where,
                                               const std::vector<Cell>& parameters)
{
    const Rows rows = m_db->query(
        "SELECT s.serial, s.state, s.file, s.format, s.sha256, s.station, s.reserved_at, "
        "s.why, b.holder, b.machine FROM serials s JOIN batches b ON b.id = s.batch " +
            where + " ORDER BY s.serial",
        parameters);
    std::vector<SerialRecord> found;
    for (const Row& row : rows) {
        SerialRecord& record = found.emplace_back();
        record = {*row[0], *row[1], *row[2], *row[3], *row[4], *row[5], *row[6], row[7].value_or("")};
        if (record.state == "reserved" && !m_db->holds(*row[9], *row[8])) {
            record.state = "void";
            record.why = "its batch was stopped before the image was recorded";
        }
    }
    return found;
}

std::vector<std::string> SerialStore::unlistedBatches()
{
    std::vector<std::string> batches{m_batch};
    const Rows stopped = m_db->query(
        "SELECT b.id, b.machine, b.holder FROM batches b JOIN batches mine ON mine.id = ? WHERE "
        "b.manifest = mine.manifest AND b.machine = mine.machine AND b.listed = 0 AND b.id <> "
        "mine.id ORDER BY b.id",
        {m_batch});
    for (const Row& row : stopped)
        if (!m_db->holds(*row[1], *row[2]))
            batches.push_back(*row[0]);
    return batches;
}

std::vector<SerialRecord> SerialStore::issuedForManifest()
{
    m_listing = unlistedBatches();
    std::string among;
    for (std::size_t at = 0; at < m_listing.size(); ++at)
        among += at ? ", ?" : "?";
    std::vector<Cell> parameters(m_listing.begin(), m_listing.end());
    return records("WHERE s.state = 'issued' AND s.settled_by IN (" + among + ")", parameters);
}

void SerialStore::markListed()
{
    inTransaction([&] {
        for (const std::string& batch : m_listing)
            m_db->execute("UPDATE batches SET listed = 1 WHERE id = ?", {batch});
    });
}

std::vector<SerialRecord> SerialStore::all() { return records("", {}); }

} // namespace cli
