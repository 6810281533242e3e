// The controller record a detection is expected to give, and its check.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "detect/Upmd.h"

namespace ynvex {

struct Expected {
    std::int32_t dev, func;
    std::uint32_t did;
    std::int32_t rid, bad;
    std::string name;
};

inline void expect_record(const TPMD& pmd, const Expected& e) {
    EXPECT_EQ(pmd.dev, e.dev);
    EXPECT_EQ(pmd.func, e.func);
    EXPECT_EQ(pmd.did, e.did);
    EXPECT_EQ(pmd.rid, e.rid);
    EXPECT_EQ(pmd.bad, e.bad);
    EXPECT_EQ(pmd.name, e.name);
}

}  // namespace ynvex
