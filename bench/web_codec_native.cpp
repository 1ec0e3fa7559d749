// The native side of the browser benchmark (bench/web_bench.js): encode plus decode per
// model, timed by the same code the WebAssembly module runs in the browser.
#include "web/codec_timing.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    std::fputs(web::CodecTimings(rounds).c_str(), stdout);
    return 0;
}
