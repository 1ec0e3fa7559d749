#pragma once

// The serial store of a production line: every serial a batch gave out, in a database, so
// that none is ever given out twice. A serial is reserved (and committed) before its image
// is written and marked issued once the image is on the disk; one a batch reserved but
// never wrote (it was killed, the power went, the write failed) becomes void and is never
// given out again. The database's unique key on the serial, not this program's care, is
// what refuses a second issue.
//
// A store holds one series (its fixed text and number of digits); `next` is its next free
// serial. Several batches may issue from one store at once: each reservation takes the next
// free serial at that moment.

#include "cli/database.h"
#include "cli/serial.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct SerialRecord {
    std::string serial;
    std::string state; // "reserved", "issued" or "void"
    std::string file;  // where its image was to be written, as an absolute path
    std::string format;
    std::string sha256; // of the file's content
    std::string station;
    std::string time; // UTC, when it was reserved
    std::string why;  // how it came to be void, or issued by another batch than its own
};

// What a reservation records of the image it is for.
struct PlannedImage {
    std::string file; // absolute path
    std::string sha256;
};

struct BatchRecord {
    std::string station;
    std::string outDir; // absolute
    std::string format;
    std::string profile;
    std::string manifest; // absolute; empty: none
};

// The time now, in UTC, as the store and the manifest write it.
std::string UtcNow();

// Prints every serial of the store at `location`: a table for people, or CSV.
void ListSerials(const std::string& location, bool csv, std::ostream& out);

class SerialStore {
public:
    // The store at `location`: a postgresql:// URI, or the path of a SQLite file. With
    // `create`, a file that is not there yet is made, and a state file of the older kind
    // ({"next_serial": ...}) is taken up into a SQLite store of the same name, keeping its
    // next serial (told through `note`). Throws cli::Error.
    static std::unique_ptr<SerialStore> Open(const std::string& location, bool create,
                                             const WaitingNote& note);

    // The next free serial of the store at `location` as it is now, found without making
    // or changing anything (a store not made yet has none). Throws cli::Error.
    static std::optional<Serial> PeekNext(const std::string& location, const WaitingNote& note);

    const std::string& name() const { return m_db->name(); }
    bool isFile(const std::string& path) const { return m_db->isFile(path); }

    // The next free serial; nullopt for a new store. Throws when every serial of the
    // series is issued.
    std::optional<Serial> next();

    // Records the batch that reserves from now on.
    void startBatch(const BatchRecord& batch);

    // Settles the serials that stopped batches reserved: issued where the file they were
    // for holds exactly their image (the batch was stopped after writing it), void
    // otherwise. `holdsImage` says whether a file of this machine has that hash. Answers
    // the serials settled.
    std::vector<SerialRecord> settleStopped(
        const std::function<bool(const std::string& file, const std::string& sha256)>& holdsImage);

    // In one transaction: `written` (reserved by this batch, its image now on the disk)
    // becomes issued, and the next serial is reserved, the later of `wanted` and the store's
    // next free one. `plan` says where that serial's image goes and its hash, or throws to
    // reserve nothing (`written` is issued all the same). Answers the serial reserved.
    Serial reserve(const std::optional<std::string>& written, const Serial& wanted,
                   const std::function<PlannedImage(const Serial&)>& plan);
    void markIssued(const std::string& serial);
    void markVoid(const std::string& serial, const std::string& why);

    // The serials the manifest of this batch lists: those it issued or settled as issued,
    // and those of its machine's stopped batches that named the same manifest and never
    // wrote it. Once they are written, markListed() records it.
    std::vector<SerialRecord> issuedForManifest();
    void markListed();
    // Every serial of the store, in order, with a reserved one whose batch stopped shown as
    // void (without settling it).
    std::vector<SerialRecord> all();

    explicit SerialStore(std::unique_ptr<Database> db);

private:
    void migrate();
    template <typename Work>
    void inTransaction(const Work& work);
    std::vector<SerialRecord> records(const std::string& where, const std::vector<Cell>& parameters);

    std::vector<std::string> unlistedBatches();

    std::unique_ptr<Database> m_db;
    std::string m_batch; // its id, once started
    std::vector<std::string> m_listing; // the batches whose serials the manifest gets
};

} // namespace cli
