#include "spd/Uspd.h"

#include <gtest/gtest.h>

#include <set>

#include "spd/Uspdstr.h"

namespace ynvex {
namespace {

TEST(TSPD, NewReaderHas46DistinctEmptyRows) {
    TSPD spd;
    std::set<const TSPDF*> rows;
    for (const auto& row : spd.Row) {
        ASSERT_NE(row, nullptr);
        EXPECT_TRUE(row->Description.empty());
        EXPECT_TRUE(row->Status.empty());
        rows.insert(row.get());
    }
    EXPECT_EQ(rows.size(), 46u);
}

TEST(SpdTexts, CommonValueTextsAndMemoryTypes) {
    EXPECT_EQ(strNA, "N/A");
    EXPECT_EQ(strUndefined, "Undefined");
    EXPECT_EQ(strNone, "None");
    EXPECT_EQ(strReserved, "Reserved");
    EXPECT_EQ(strBytes, " bytes");
    EXPECT_EQ(strBits, " bits");
    EXPECT_EQ(strRows, " rows");
    EXPECT_EQ(strRFU, " RFU");
    EXPECT_EQ(strMemType[4], "SDRAM");
    EXPECT_EQ(strMemType[7], "DDR SDRAM");
    EXPECT_TRUE(HasMemTypeName(7));
    EXPECT_FALSE(HasMemTypeName(8));
    EXPECT_FALSE(HasMemTypeName(0xFF));
}

}  // namespace
}  // namespace ynvex
