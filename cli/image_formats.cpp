#include "cli/image_formats.h"

#include "cli/error.h"

namespace cli {

namespace {

std::vector<std::uint8_t> taken(::image::ImageRead read)
{
    if (!read.ok())
        throw Error(read.error);
    return std::move(read.bytes);
}

} // namespace

std::vector<std::uint8_t> ImageBytesOf(std::span<const std::uint8_t> content,
                                       std::optional<Format> format)
{
    return taken(::image::ImageBytesOf(content, format));
}

std::vector<std::uint8_t> ReadIntelHex(std::span<const std::uint8_t> content)
{
    return taken(::image::ReadIntelHex(content));
}

std::vector<std::uint8_t> ReadSRecord(std::span<const std::uint8_t> content)
{
    return taken(::image::ReadSRecord(content));
}

} // namespace cli
