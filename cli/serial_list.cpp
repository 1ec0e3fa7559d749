// `hubquill-cli serials STORE`: every serial of a pool with its state, for audits.

#include "cli/error.h"
#include "cli/manifest.h"
#include "cli/store.h"

#include <algorithm>
#include <array>
#include <ostream>

namespace cli {

namespace {

using Columns = std::array<std::string, 8>;

const Columns kHeadings = {"serial", "state", "file", "format", "sha256", "station",
                               "reserved_utc", "why"};

Columns ColumnsOf(const SerialRecord& record)
{
    return {record.serial, record.state, record.file,   record.format,
            record.sha256, record.station, record.time, record.why};
}

void PrintCsv(const std::vector<SerialRecord>& records, std::ostream& out)
{
    auto line = [&](const Columns& columns) {
        for (std::size_t at = 0; at < columns.size(); ++at)
            out << (at ? "," : "") << CsvField(columns[at]);
        out << '\n';
    };
    line(kHeadings);
    for (const SerialRecord& record : records)
        line(ColumnsOf(record));
}

// Columns padded to their widest entry; the last one, why, as long as it is.
void PrintTable(const std::vector<SerialRecord>& records, std::ostream& out)
{
    std::vector<Columns> rows{kHeadings};
    for (const SerialRecord& record : records)
        rows.push_back(ColumnsOf(record));
    Columns widths{};
    for (const Columns& row : rows)
        for (std::size_t at = 0; at < row.size(); ++at)
            widths[at] = std::string(std::max(widths[at].size(), row[at].size()), ' ');
    for (const Columns& row : rows) {
        std::string line;
        for (std::size_t at = 0; at < row.size(); ++at)
            line += row[at] + (at + 1 < row.size() ? widths[at].substr(row[at].size()) + "  " : "");
        out << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
    }
}

} // namespace

void ListSerials(const std::string& location, bool csv, std::ostream& out)
{
    const std::unique_ptr<SerialStore> store = SerialStore::Open(location, false, {});
    const std::vector<SerialRecord> records = store->all();
    if (csv)
        PrintCsv(records, out);
    else
        PrintTable(records, out);
}

} // namespace cli
