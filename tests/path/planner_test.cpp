// What findPath cannot reach: grids whose cell count does not fit 32 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "path/planner.h"

namespace vorlan::path {
namespace {

TEST(Planner, GridsWhoseCellCountOverflowsAreRefusedBeforeAnyRead) {
    // A read of the costs would run far past this small array under the
    // sanitizers, so the size must be refused first.
    const std::vector<double> costs(4, 1.0);
    const int32_t shapes[][2] = {{65536, 65536}, {INT32_MAX, 3}, {INT32_MAX, INT32_MAX}};
    for (const auto& shape : shapes) {
        AStarPlanner planner;
        EXPECT_FALSE(
            planner.init(findPathParams(shape[0], shape[1], costs.data(), 0.5, 0, 0, 1, 0)));
        EXPECT_FALSE(planner.search());
        EXPECT_EQ(planner.pathLength(), 0u);
    }
}

}  // namespace
}  // namespace vorlan::path
