#pragma once

// The one table every benchmark run prints: each figure beside its floor, measured in the
// same run, their ratio and the target for it, under a line naming the machine.

#include <string>
#include <vector>

namespace bench {

// A value with its unit as the table shows it.
struct Amount {
    double value = 0;
    std::string unit; // "ns", "ms", "MiB", "files/s" ...
};

struct Row {
    std::string figure;   // what HUBQUILL does
    Amount measured;
    std::string floor;    // what it is compared with
    Amount floorMeasured;
    std::string target;   // e.g. "<= 1.1"; empty: shown for reading only
    bool higherIsBetter = false; // rates: the ratio is floor / measured
    std::string note = {};       // shown under the row
    std::string notMeasured = {}; // why there is no figure, when there is none
};

class Table {
public:
    void add(Row row) { m_rows.push_back(std::move(row)); }
    // A row that could not be measured, with the reason.
    void skip(const std::string& figure, const std::string& why);
    void print(const std::string& machine) const;

private:
    std::vector<Row> m_rows;
};

// The ratio of a row: how many times the floor's cost HUBQUILL's is (shown as "-" where
// either is zero or less, as a heap that did not grow).
double Ratio(const Row& row);

// One line about the machine: processor, cores, memory, system, load.
std::string MachineLine();

} // namespace bench
