// The tests of what a user sees on a screen: sizes, cut texts. They run on the xcb platform
// against a private X server with a laptop's screen (1366x768), started here for the run
// and ended with it, so they need no desktop and never disturb one.

#include <QApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class PrivateXServer {
public:
    // Starts Xvfb on a display number it picks itself; empty when it could not.
    std::string start()
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return {};
        m_pid = fork();
        if (m_pid == 0) {
            close(pipeFds[0]);
            const std::string fd = std::to_string(pipeFds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1366x768x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        std::string number;
        char c = 0;
        while (m_pid > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(pipeFds[0]);
        return number.empty() ? std::string() : ":" + number;
    }

    ~PrivateXServer()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }

private:
    pid_t m_pid = -1;
};

bool OnlyListing(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (OnlyListing(argc, argv))
        return RUN_ALL_TESTS();
    PrivateXServer server;
    const std::string display = server.start();
    if (display.empty()) {
        std::fprintf(stderr, "Xvfb could not be started (scripts/setup installs it)\n");
        return 1;
    }
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
