#pragma once

// A PostgreSQL server of the test's own: a private cluster in a temporary folder, reached
// through a socket there (no port is opened), stopped and removed at the end. The server
// refuses to run as root, so as root it runs as the "postgres" user its package made.

#include "tests/cli/cli_support.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace cli_testing {

class PostgresServer {
public:
    // A test's server need not flush to the disk; a benchmark's does, as a line's server.
    explicit PostgresServer(bool durable = false)
        : m_folder(fs::temp_directory_path()), m_flush(durable ? "" : " -F")
    {
        for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", m_error))
            if (fs::exists(entry.path() / "bin/initdb"))
                m_bin = entry.path() / "bin";
        if (m_bin.empty())
            return;
        if (::geteuid() == 0) {
            const passwd* user = ::getpwnam("postgres");
            if (!user)
                return;
            m_as = "runuser -u postgres -- ";
            fs::permissions(m_folder.path(), fs::perms::all);
            ::chown(m_folder.path().c_str(), user->pw_uid, user->pw_gid);
        }
        m_ready = shell(tool("initdb") + " -D data -U hubquill -A trust --no-sync >init.log 2>&1") &&
                  start() &&
                  shell(tool("createdb") + " -h '" + socketFolder() + "' -U hubquill pool");
    }
    ~PostgresServer()
    {
        if (m_ready)
            stop();
    }
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Empty where this machine has no server to start (the test skips then).
    bool ready() const { return m_ready; }
    std::string uri() const
    {
        return "postgresql:///pool?host=" + socketFolder() + "&user=hubquill";
    }

    bool start()
    {
        return shell(tool("pg_ctl") + " -D data -l server.log -w -o \"-k '" + socketFolder() +
                     "' -h ''" + m_flush + "\" start >/dev/null");
    }
    // As a power cut or a crash would: no goodbye to the clients.
    bool stop() { return shell(tool("pg_ctl") + " -D data -m immediate -w stop >/dev/null"); }

private:
    std::string socketFolder() const { return m_folder.path().string(); }
    std::string tool(const std::string& name) const { return m_as + (m_bin / name).string(); }
    bool shell(const std::string& command) const
    {
        return std::system(("cd '" + socketFolder() + "' && " + command).c_str()) == 0;
    }

    TempFolder m_folder;
    std::string m_flush;
    std::error_code m_error;
    fs::path m_bin;
    std::string m_as;
    bool m_ready = false;
};

} // namespace cli_testing
