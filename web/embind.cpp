// The calls of binding.h, under the names the page script uses.

#include "web/binding.h"
#include "web/codec_timing.h"

#include <emscripten/bind.h>

EMSCRIPTEN_BINDINGS(hubquill)
{
    emscripten::function("models", &web::Models);
    emscripten::function("model", &web::Model);
    emscripten::function("asLeft", &web::AsLeft);
    emscripten::function("takes", &web::Takes);
    emscripten::function("userChange", &web::UserChange);
    emscripten::function("enabled", &web::Enabled);
    emscripten::function("create", &web::Create);
    emscripten::function("load", &web::Load);
    emscripten::function("listing", &web::Listing);
    emscripten::function("changes", &web::Changes);
    emscripten::function("profileOf", &web::ProfileOf);
    emscripten::function("readProfile", &web::ReadProfile);
    emscripten::function("encoded", &web::Encoded);
    emscripten::function("codecTimings", &web::CodecTimings);
}
