#pragma once

// The two databases a serial store lives in, behind one small interface: SQLite for one
// station or stations sharing one machine's disk, PostgreSQL for a line of stations on
// several machines. The store speaks plain SQL to either; what differs between them (how a
// writer takes the pool, how a table is found, how a running batch is told from a dead one)
// is answered here.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

using Cell = std::optional<std::string>; // nullopt is SQL's NULL
using Row = std::vector<Cell>;
using Rows = std::vector<Row>;

class Database {
public:
    virtual ~Database() = default;

    // How the user named the store, for messages.
    virtual const std::string& name() const = 0;

    // Runs one statement with `?` marking its parameters, all passed as text; answers its
    // rows, every value as text. Throws cli::Error naming the store and saying why.
    Rows query(std::string_view sql, const std::vector<Cell>& parameters = {})
    {
        return run(sql, parameters);
    }
    void execute(std::string_view sql, const std::vector<Cell>& parameters = {})
    {
        query(sql, parameters);
    }

    // A transaction during which no other writer of the store gets in: it waits, and so
    // does this one while another holds it.
    virtual void beginWrite() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;

    virtual bool hasTable(std::string_view table) = 0;
    // The column type of a key that the database counts up by itself, and what makes a
    // table kept in the order of its key (empty where tables are not).
    virtual std::string_view counterKey() const = 0;
    virtual std::string_view byKey() const = 0;

    // A text naming this process's hold on the store, kept with each batch, and whether the
    // holder a batch kept on `machine` is still there: a batch whose holder is gone was
    // stopped.
    virtual std::string holder() = 0;
    virtual bool holds(const std::string& machine, const std::string& holder) = 0;

    // Whether this store is the file at `path` (a SQLite store can be; a server never is).
    virtual bool isFile(const std::string& path) const = 0;

protected:
    virtual Rows run(std::string_view sql, const std::vector<Cell>& parameters) = 0;
};

// Told once when the store is busy with another writer and the caller waits for it.
using WaitingNote = std::function<void(const std::string&)>;

// A SQLite store in the file `path` (links resolved), shown as `name`; with `create`, made
// when there is none. Throws cli::Error.
std::unique_ptr<Database> OpenSqlite(const std::string& name, const std::string& path, bool create,
                                     const WaitingNote& waiting);

// A PostgreSQL store on the server a postgresql:// or postgres:// URI names. Throws cli::Error.
std::unique_ptr<Database> OpenPostgres(const std::string& uri, const WaitingNote& waiting);

bool IsPostgresUri(std::string_view location);

// A store's name as messages show it: a URI without its password.
std::string ShownStore(const std::string& location);

// This machine's name, as a batch records it (and its station, unless given one).
std::string ThisStation();

} // namespace cli
