// Encode plus decode of one image for every model, per field, against the hand-written
// QH404 codec.
#include "bench/benchmarks.h"
#include "bench/measure.h"
#include "bench/qh404_floor.h"

#include "editors/qh404/core/layout.h"
#include "editors/registry.h"
#include "image/e2prom_data.h"

#include <cstdio>
#include <cstdlib>
#include <random>

namespace bench {

namespace {

bool SameEncode(const layout::EncodeResult& a, const layout::EncodeResult& b)
{
    if (a.corrections.size() != b.corrections.size())
        return false;
    for (std::size_t i = 0; i < a.corrections.size(); ++i)
        if (a.corrections[i].message != b.corrections[i].message ||
            a.corrections[i].changes != b.corrections[i].changes)
            return false;
    return true;
}

bool SameDecode(const layout::DecodeResult& a, const layout::DecodeResult& b)
{
    if (a.values != b.values || a.notes.size() != b.notes.size())
        return false;
    for (std::size_t i = 0; i < a.notes.size(); ++i)
        if (a.notes[i].message != b.notes[i].message || a.notes[i].field != b.notes[i].field)
            return false;
    return true;
}

// Values a form can hold: items, no selection, out-of-range indexes, hex texts of every sort.
layout::Values RandomValues(const layout::Model& model, std::mt19937& random)
{
    static constexpr std::string_view kTexts[] = {"0", "7A7A", "ffff", " 12", "0x1F", "G1", "", "1234567"};
    layout::Values values(model.fields.size());
    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        if (model.fields[at].kind == layout::Kind::Choice)
            values.setIndex(at, static_cast<std::int64_t>(random() % 4) - 1);
        else
            values.setText(at, std::string(kTexts[random() % std::size(kTexts)]));
    }
    return values;
}

// The floor must do the codec's whole job, or the ratio means nothing.
void CheckFloorAgrees()
{
    const layout::Model& model = qh404::kModel;
    std::mt19937 random(404);
    for (int round = 0; round < 500; ++round) {
        const layout::Values values =
            round == 0 ? layout::DefaultValues(model) : RandomValues(model, random);
        CE2promData ours;
        CE2promData floors;
        const bool encodes =
            SameEncode(layout::Create(model, values, ours), qh404_floor::Encode(values, floors));
        std::array<std::uint8_t, CE2promData::kSize> bytes;
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(random());
        CE2promData loaded;
        loaded.CopyIn(bytes.data(), CE2promData::kSize);
        const bool decodes = SameDecode(model.decode(model, ours), qh404_floor::Decode(ours)) &&
                             SameDecode(model.decode(model, loaded), qh404_floor::Decode(loaded));
        if (!encodes || ours.bytes() != floors.bytes() || !decodes) {
            std::fprintf(stderr, "the hand-written QH404 codec disagrees with the model's\n");
            std::exit(1);
        }
    }
}

} // namespace

void AddCodecRows(Table& table)
{
    CheckFloorAgrees();
    const layout::Values floorValues = layout::DefaultValues(qh404::kModel);
    std::vector<std::function<void()>> jobs{[&] {
        CE2promData image;
        KeepAlive(qh404_floor::Encode(floorValues, image));
        KeepAlive(qh404_floor::Decode(image));
    }};
    const auto models = editors::AllModels();
    std::vector<layout::Values> defaults;
    for (const layout::Model* model : models)
        defaults.push_back(layout::DefaultValues(*model));
    for (std::size_t m = 0; m < models.size(); ++m)
        jobs.push_back([&, m] {
            CE2promData image;
            KeepAlive(layout::Create(*models[m], defaults[m], image));
            KeepAlive(models[m]->decode(*models[m], image));
        });
    const std::vector<double> ns = NsPerCall(jobs, Clock::Processor);
    const double floorPerField = ns[0] / static_cast<double>(qh404::kModel.fields.size());
    for (std::size_t m = 0; m < models.size(); ++m) {
        const double image = ns[m + 1];
        const double fields = static_cast<double>(models[m]->fields.size());
        char figure[160];
        std::snprintf(figure, sizeof figure, "codec %s: encode+decode, per field (image %.0f ns, %.0f fields; < 1000 ns)",
                      std::string(models[m]->id).c_str(), image, fields);
        table.add({.figure = figure,
                   .measured = {image / fields, "ns"},
                   .floor = "hand-written QH404 codec, per field",
                   .floorMeasured = {floorPerField, "ns"},
                   .target = "<= 3"});
    }
}

} // namespace bench
