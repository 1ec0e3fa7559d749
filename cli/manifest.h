#pragma once

// The manifest of batches: a CSV file with one line per image issued, appended to by every
// batch that names it:
//
//   serial,file,sha256,utc
//   SN0990,SN0990.bin,5f1c...e2,2024-05-02T07:41:09Z
//
// Its lines are made from the serial store's records once a batch ends (or stops), so it
// never lists a serial the store does not hold as issued; a batch's lines are appended in
// one step, and a failure leaves the file as it was. The hash is that of the file's
// content, so `sha256sum` checks a file against its line.

#include "cli/store.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

// A CSV field as a spreadsheet reads it back: quoted when it holds a comma, a quote or a
// line break, and kept text (a quote mark first) when it would start a formula.
std::string CsvField(std::string_view text);

class Manifest {
public:
    // Checks the target before the batch writes anything: "-" (standard output), a name
    // not taken yet in an existing folder, or a file that is a manifest of this kind and none
    // of `notThese` (what each is, and its name: the profile, the store). Throws cli::Error.
    Manifest(std::string name, const std::vector<std::pair<std::string, std::string>>& notThese,
             std::ostream& out);

    // Appends the lines of `issued`; files inside `outDir` are named relative to it.
    // Throws cli::Error, leaving the file as it was.
    void append(const std::vector<SerialRecord>& issued, const std::string& outDir,
                const WaitingNote& note);

    const std::string& name() const { return m_name; }

private:
    std::string m_name;
    std::ostream& m_out;
};

} // namespace cli
