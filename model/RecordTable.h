#pragma once

// What the stop table and the route table share: the records of a run in order of
// acceptance, in an arena of the table's own, an index by code and the input file each
// record came from. The tables add the merge rule of their kind (add), which looks a code up
// with index_.prepare(), appends with append() and reports conflicts with sourceOf().
//
// The index is rebuilt only by rebuildIndex(), once per input file, so records of the file
// being added do not see each other and a code repeated inside one file enters the table
// every time.
//
// REQUIRES: Record has a `code` that converts to std::string_view and a `Record* next`.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "base/AppendList.h"
#include "base/Arena.h"
#include "model/CodeIndex.h"
#include "model/SourceList.h"

namespace tramelo {

template <class Record>
class RecordTable {
public:
    RecordTable() = default;
    RecordTable(const RecordTable&) = delete;
    RecordTable& operator=(const RecordTable&) = delete;

    // The first record with that code among those indexed at the last rebuild, or none.
    const Record* find(std::string_view code) const { return index_.find(code); }
    void rebuildIndex() { index_.rebuild(); }
    // A hint that code is offered next but a few: the lookup's memory is asked for early.
    void prefetch(std::string_view code) const { index_.prefetch(code); }
    bool isEmpty() const { return records_.isEmpty(); }
    std::size_t size() const { return records_.size(); }

    const Record* head() const { return records_.head(); }
    const Record* tail() const { return records_.tail(); }
    std::int32_t indexedCount() const { return index_.indexedCount; }

    // Iteration in order of acceptance.
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

protected:
    using Lookup = typename CodeIndex<Record>::Lookup;

    // Appends a record built from args (texts already in the arena), from the input file at
    // sourcePath, in the index slot that place gave for its code.
    template <class... Args>
    void append(const Lookup& place, std::string_view sourcePath, Args&&... args) {
        sources_.note(records_.size(), sourcePath);
        records_.append(std::forward<Args>(args)...);
        index_.add(place);
    }

    // The input file of the record that place found.
    std::string_view sourceOf(const Lookup& place) const { return sources_.at(place.position); }

    // The records, their texts and points; declared first, so that it outlives the list.
    Arena arena_;
    AppendList<Record> records_{arena_.resource()};
    CodeIndex<Record> index_{records_};

private:
    SourceList sources_;
};

}  // namespace tramelo
