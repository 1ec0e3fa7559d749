#include "web/codec_timing.h"

#include "editors/registry.h"
#include "image/e2prom_data.h"
#include "layout/model.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace web {

namespace {

// Keeps the optimiser from dropping work whose result nobody reads.
volatile std::size_t g_sink = 0;

double nanosecondsPerRound(const layout::Model& model, int rounds)
{
    const layout::Values values = layout::DefaultValues(model);
    CE2promData image;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        image.SetByte(static_cast<std::uint8_t>(round), 0xFF); // a byte no field may own
        const layout::EncodeResult encoded = layout::Create(model, values, image);
        const layout::DecodeResult decoded = model.decode(model, image);
        g_sink = g_sink + encoded.corrections.size() + decoded.values.size();
    }
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / rounds;
}

} // namespace

std::string CodecTimings(int rounds)
{
    std::string lines;
    for (const layout::Model* model : editors::AllModels()) {
        double best = nanosecondsPerRound(*model, rounds);
        for (int run = 0; run < 4; ++run)
            best = std::min(best, nanosecondsPerRound(*model, rounds));
        char line[96];
        std::snprintf(line, sizeof line, "%.*s %.1f\n", static_cast<int>(model->id.size()),
                      model->id.data(), best);
        lines += line;
    }
    return lines;
}

} // namespace web
