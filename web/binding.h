#pragma once

// The calls the page script makes into the core (see binding.cpp for the JSON they take
// and answer). Plain functions, so the tests call them natively too.

#include <string>

namespace web {

// Every model of the list (id, name, family), the home model, and the front end's own
// texts.
std::string Models();
// One model's whole description: fields, defaults, pages, and what each byte holds.
std::string Model(const std::string& id);
// The text a box holds once `typed` is typed into it and left.
std::string AsLeft(const std::string& model, int field, const std::string& typed);
// Whether the box takes every character of `typed`.
bool Takes(const std::string& model, int field, const std::string& typed);
// What the form changes after the user changed `field`: null, or a message and values.
std::string UserChange(const std::string& model, int field, const std::string& values);
// Which fields are enabled; `changed` -1 for none, `current` [] for all enabled.
std::string Enabled(const std::string& model, const std::string& values, int changed,
                    const std::string& current);
// Create: a refusal (message and field) or the image and the corrections.
std::string Create(const std::string& model, const std::string& values, const std::string& holder);
// One step of the load of a file ({"size", "head"}) given the answers so far.
std::string Load(const std::string& model, const std::string& file, const std::string& holder,
                 const std::string& answers);
// The sixteen lines of the hex listing.
std::string Listing(const std::string& image);
// The bytes the next Create writes differently from the image shown, with why.
std::string Changes(const std::string& model, const std::string& values, const std::string& shown,
                    const std::string& notes);
// The form as a profile of the command-line tool, and a profile read back.
std::string ProfileOf(const std::string& model, const std::string& values);
std::string ReadProfile(const std::string& name, const std::string& content);
// The image as a text file: "ihex" or "srec".
std::string Encoded(const std::string& bytes, const std::string& format);

} // namespace web
