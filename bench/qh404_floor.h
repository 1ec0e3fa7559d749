#pragma once

// The QH404's codec written out by hand, field after field, with no description to read:
// the floor the generic codec is measured against. It takes and gives what the model's
// codec does (values by field position, corrections and notes), and the benchmark checks
// that both agree before it times either.

#include "layout/model.h"

class CE2promData;

namespace bench::qh404_floor {

layout::EncodeResult Encode(const layout::Values& values, CE2promData& image);
layout::DecodeResult Decode(const CE2promData& image);

} // namespace bench::qh404_floor
