// A serial store on a PostgreSQL server, shared by the stations of a line. Writers take
// turns through a lock the server holds for each transaction; a batch is known to be
// running while its connection is, which the server tells of every station.

#include "cli/database.h"
#include "cli/error.h"

#include <libpq-fe.h>

#include <dlfcn.h>

#include <memory>
#include <chrono>
#include <regex>
#include <thread>

namespace cli {

namespace {

// The client library is loaded when a server is named, not with the program: it brings two
// dozen libraries of its own (TLS, Kerberos, LDAP), which every run of hubquill-cli would
// otherwise load, and a station that keeps its serials in a file does not need it.
struct Client {
#define HUBQUILL_CLIENT_CALLS(CALL)                                                           \
    CALL(PQconnectdb) CALL(PQstatus) CALL(PQerrorMessage) CALL(PQfinish)                      \
    CALL(PQsetNoticeProcessor) CALL(PQexecParams) CALL(PQexec) CALL(PQresultStatus)           \
    CALL(PQresultErrorMessage) CALL(PQclear) CALL(PQntuples) CALL(PQnfields) CALL(PQgetisnull) \
    CALL(PQgetvalue) CALL(PQtransactionStatus)
#define HUBQUILL_CLIENT_POINTER(name) decltype(&::name) name = nullptr;
    HUBQUILL_CLIENT_CALLS(HUBQUILL_CLIENT_POINTER)
#undef HUBQUILL_CLIENT_POINTER
};

const Client& LoadedClient()
{
    static const Client client = [] {
        void* library = ::dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            throw Error(std::string("a postgresql:// store needs the PostgreSQL client library "
                                    "(Debian's libpq5): ") + ::dlerror());
        Client loaded;
#define HUBQUILL_CLIENT_LOOKUP(name)                                                         \
        loaded.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));           \
        if (!loaded.name)                                                                    \
            throw Error("the PostgreSQL client library has no " #name);
        HUBQUILL_CLIENT_CALLS(HUBQUILL_CLIENT_LOOKUP)
#undef HUBQUILL_CLIENT_LOOKUP
        return loaded;
    }();
    return client;
}

// Any number will do, as long as every station takes the same one for the pool's writers.
constexpr const char* kWritersLock = "4851424c";

// The first line of libpq's message, which is what the user needs.
std::string FirstLine(const char* message)
{
    std::string text = message ? message : "";
    if (text.starts_with("ERROR:  "))
        text.erase(0, 8);
    return text.substr(0, text.find('\n'));
}

// "?" marks the parameters, as in SQLite; the server numbers them.
std::string Numbered(std::string_view sql)
{
    std::string numbered;
    int parameter = 0;
    bool quoted = false;
    for (char c : sql) {
        if (c == '\'')
            quoted = !quoted;
        if (c == '?' && !quoted)
            numbered += "$" + std::to_string(++parameter);
        else
            numbered += c;
    }
    return numbered;
}

using Result = std::unique_ptr<PGresult, void (*)(PGresult*)>;

class Postgres final : public Database {
public:
    Postgres(const std::string& uri, WaitingNote waiting)
        : m_pq(LoadedClient()), m_name(ShownStore(uri)), m_connection(m_pq.PQconnectdb(uri.c_str())),
          m_waiting(std::move(waiting))
    {
        if (!m_connection || m_pq.PQstatus(m_connection) != CONNECTION_OK) {
            const std::string reason = FirstLine(m_pq.PQerrorMessage(m_connection));
            m_pq.PQfinish(m_connection);
            throw Error(m_name + ": cannot connect: " + reason);
        }
        m_pq.PQsetNoticeProcessor(m_connection, [](void*, const char*) {}, nullptr);
    }
    ~Postgres() override { m_pq.PQfinish(m_connection); }

    const std::string& name() const override { return m_name; }

    Rows run(std::string_view sql, const std::vector<Cell>& parameters) override
    {
        std::vector<const char*> values;
        for (const Cell& parameter : parameters)
            values.push_back(parameter ? parameter->c_str() : nullptr);
        const Result result(m_pq.PQexecParams(m_connection, Numbered(sql).c_str(),
                                           static_cast<int>(values.size()), nullptr,
                                           values.data(), nullptr, nullptr, 0),
                            m_pq.PQclear);
        const ExecStatusType status = m_pq.PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            fail(result.get());
        Rows rows(static_cast<std::size_t>(m_pq.PQntuples(result.get())));
        for (int row = 0; row < m_pq.PQntuples(result.get()); ++row)
            for (int column = 0; column < m_pq.PQnfields(result.get()); ++column)
                rows[static_cast<std::size_t>(row)].push_back(
                    m_pq.PQgetisnull(result.get(), row, column)
                        ? std::nullopt
                        : Cell(m_pq.PQgetvalue(result.get(), row, column)));
        return rows;
    }

    // Writers take turns for a moment at every image, which is not worth a word; a wait of
    // a second is.
    void beginWrite() override
    {
        execute("BEGIN");
        const std::string lock = std::string("SELECT pg_try_advisory_xact_lock(x'") + kWritersLock + "'::int)";
        for (int attempt = 0; attempt < 500; ++attempt) {
            if (query(lock).at(0).at(0) == "t")
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (!m_toldWaiting && m_waiting)
            m_waiting(m_name + " is in use by another batch; waiting for it");
        m_toldWaiting = true;
        execute(std::string("SELECT pg_advisory_xact_lock(x'") + kWritersLock + "'::int)");
    }
    void commit() override { execute("COMMIT"); }
    void rollback() noexcept override
    {
        if (m_pq.PQtransactionStatus(m_connection) != PQTRANS_IDLE)
            Result(m_pq.PQexec(m_connection, "ROLLBACK"), m_pq.PQclear);
    }

    bool hasTable(std::string_view table) override
    {
        return query("SELECT to_regclass(?) IS NOT NULL", {std::string(table)}).at(0).at(0) == "t";
    }
    std::string_view counterKey() const override
    {
        return "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
    }
    std::string_view byKey() const override { return ""; }

    std::string holder() override
    {
        return query(std::string("SELECT ") + kHolder + " FROM pg_stat_activity WHERE pid = "
                                                       "pg_backend_pid()")
            .at(0)
            .at(0)
            .value_or("");
    }

    bool holds(const std::string&, const std::string& holder) override
    {
        return !query(std::string("SELECT 1 FROM pg_stat_activity WHERE ") + kHolder + " = ?",
                      {holder})
                    .empty();
    }

    bool isFile(const std::string&) const override { return false; }

private:
    // A connection, named by its server process and the moment it started.
    static constexpr const char* kHolder = "pid || ':' || extract(epoch FROM backend_start)";

    [[noreturn]] void fail(const PGresult* result) const
    {
        if (m_pq.PQstatus(m_connection) != CONNECTION_OK)
            throw Error(m_name + ": the server went away: " +
                        FirstLine(m_pq.PQerrorMessage(m_connection)));
        throw Error(m_name + ": " + FirstLine(m_pq.PQresultErrorMessage(result)));
    }

    const Client& m_pq;
    std::string m_name;
    PGconn* m_connection;
    WaitingNote m_waiting;
    bool m_toldWaiting = false;
};

} // namespace

std::string ShownStore(const std::string& location)
{
    static const std::regex password(R"(^([a-z]+://[^:/@]*):[^@/]*@)");
    return std::regex_replace(location, password, "$1:***@");
}

bool IsPostgresUri(std::string_view location)
{
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::unique_ptr<Database> OpenPostgres(const std::string& uri, const WaitingNote& waiting)
{
    return std::make_unique<Postgres>(uri, waiting);
}

} // namespace cli
