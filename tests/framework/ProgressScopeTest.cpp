#include "framework/ProgressScope.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using Report = std::pair<TProgressStage, int>;

} // namespace

TEST(ProgressScope, EndsAtHundredWhenFinishedAndAtZeroOtherwise) {
    struct Case {
        const char* name;
        bool finish;
        bool raise;
        std::vector<Report> expected;
    };
    const Case cases[] = {
        {"finished", true, false, {{psStarting, 0}, {psEnding, 100}}},
        {"left early", false, false, {{psStarting, 0}, {psEnding, 0}}},
        {"raised", false, true, {{psStarting, 0}, {psEnding, 0}}},
        {"raised after finishing", true, true, {{psStarting, 0}, {psEnding, 100}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Report> seen;
        try {
            ProgressScope progress(
                [&](TProgressStage stage, Byte percent) { seen.emplace_back(stage, percent); });
            if (c.finish) progress.Finish();
            if (c.raise) throw std::runtime_error("load failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(seen, c.expected);
    }
}
