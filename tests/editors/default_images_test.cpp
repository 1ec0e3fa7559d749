// What Create builds from every model's defaults, byte for byte: the bytes its fields
// write, and around them what its start leaves (the holder's bytes, or zeros).

#include "editors/registry.h"
#include "image/e2prom_data.h"
#include "layout/model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace layout;

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Rest { Kept, Zeros }; // the bytes after the head

struct DefaultImage {
    const char* model;
    Bytes head; // from offset 0
    Rest rest;
    std::size_t tailAt = 0; // and these bytes from there
    Bytes tail = {};
};

// The QH20x family's power and timing bytes, 0x09 to 0x10, on every model.
Bytes Qh20x(Bytes head)
{
    head.insert(head.end(), {0x00, 0x00, 0x00, 0x01, 0x32, 0x01, 0x32, 0x32});
    return head;
}

const DefaultImage kDefaults[] = {
    {"qh404", {0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0x05, 0x00, 0x00, 0x80}, Rest::Kept},
    {"qh102", {0x7A, 0x7A, 0x02, 0x01, 0, 0, 0x0C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01, 0x64, 0x32},
     Rest::Kept},
    {"qh103", {0x7A, 0x7A, 0x03, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01, 0x64, 0x32},
     Rest::Kept},
    {"qh104", {0x7A, 0x7A, 0x04, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01, 0x64, 0x32},
     Rest::Kept},
    {"qh107", {0x7A, 0x7A, 0x07, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x01, 0x01, 0x01, 0x32},
     Rest::Kept},
    // The interfaces' owners from 0xD1, four bytes an interface (two of them reserved).
    {"qh304",
     {0x7A, 0x7A, 0x04, 0x03, 0, 0, 0x9B, 0x10, 0, 0, 0, 0, 0x01, 0x64, 0x01, 0x64, 0x32},
     Rest::Zeros, 0xD0,
     {0x2F, 0x11, 0x11, 0, 0, 0x22, 0x22, 0, 0, 0x11, 0x22, 0, 0, 0x11, 0x21, 0, 0,
      0x22, 0x12, 0, 0, 0x12, 0x11, 0, 0, 0x11, 0x02, 0, 0, 0x11, 0x01, 0, 0}},
    {"qh203-36", Qh20x({0x7A, 0x7A, 0x03, 0x02, 0x00, 0x00, 0x9B, 0x20, 0x00}), Rest::Zeros},
    {"qh203-48", Qh20x({0x7A, 0x7A, 0x03, 0x02, 0x00, 0x00, 0x9B, 0x20, 0x02}), Rest::Zeros},
    {"qh204-36", Qh20x({0x7A, 0x7A, 0x04, 0x02, 0x00, 0x00, 0x9B, 0x20, 0x00}), Rest::Zeros},
    {"qh204-48", Qh20x({0x7A, 0x7A, 0x04, 0x02, 0x00, 0x00, 0x9B, 0x20, 0x02}), Rest::Zeros},
    {"qh202", Qh20x({0x7A, 0x7A, 0x02, 0x02, 0xA0, 0x0A, 0x8B, 0x10, 0x00}), Rest::Zeros},
    {"qh207", Qh20x({0x7A, 0x7A, 0x07, 0x02, 0x00, 0x00, 0x9B, 0x20, 0x00}), Rest::Zeros},
};

TEST(DefaultImages, EveryModelsDefaultsBuildTheirImage)
{
    ASSERT_EQ(std::size(kDefaults), editors::AllModels().size()) << "a model without its row";
    for (const DefaultImage& row : kDefaults) {
        const Model& model = *editors::FindModel(row.model);
        // A holder whose every byte tells where it came from.
        CE2promData holder;
        for (unsigned at = 0; at < CE2promData::kSize; ++at)
            holder.SetByte(static_cast<std::uint8_t>(at * 7 + 1), at);
        Bytes expected(holder.bytes().begin(), holder.bytes().end());
        if (row.rest == Rest::Zeros)
            std::fill(expected.begin(), expected.end(), 0x00);
        std::copy(row.head.begin(), row.head.end(), expected.begin());
        std::copy(row.tail.begin(), row.tail.end(), expected.begin() + row.tailAt);

        EXPECT_EQ(RefuseCreate(model, DefaultValues(model)), std::nullopt) << row.model;
        EXPECT_TRUE(Create(model, DefaultValues(model), holder).corrections.empty()) << row.model;
        EXPECT_EQ(Bytes(holder.bytes().begin(), holder.bytes().end()), expected) << row.model;
    }
}

} // namespace
