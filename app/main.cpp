#include "app/hubquill_app.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (!HasDesktopSession()) {
        std::fputs("HUBQUILL needs a desktop session (no display found); for scripts and "
                   "build servers use hubquill-cli.\n",
                   stderr);
        return 1;
    }
    CHUBQUILLApp app(argc, argv);
    return app.InitInstance();
}
