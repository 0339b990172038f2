#pragma once

// A table of either kind and the issue log it reports into, for the tests of the merge rule.

#include <gtest/gtest.h>

#include "model/IssueLog.h"
#include "tests/support/Contents.h"

namespace tramelo::testing {

template <class Table>
class TableTest : public ::testing::Test {
protected:
    // One input file: offer(record) for each of its records, then the index rebuilt once, as
    // an import does.
    template <class Records, class Offer>
    void MergeRecords(const Records& records, Offer offer) {
        for (const auto& record : records) {
            offer(record);
        }
        table.rebuildIndex();
    }

    Table table;
    IssueLog issues;
};

}  // namespace tramelo::testing
