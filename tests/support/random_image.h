#pragma once

// The bytes of an image drawn from a seed, the same on every run.

#include <random>
#include <string>

namespace testing_support {

inline std::string RandomImage(unsigned seed)
{
    std::mt19937 generator(seed);
    std::string image(256, '\0');
    for (char& byte : image)
        byte = static_cast<char>(generator());
    return image;
}

} // namespace testing_support
