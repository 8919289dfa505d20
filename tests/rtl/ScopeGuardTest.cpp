#include "rtl/ScopeGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Counts BeginUpdate/EndUpdate the way a string list does; EndUpdate may be told to raise.
struct Updatable {
    int depth = 0;
    int ends = 0;
    bool endRaises = false;
    void BeginUpdate() { ++depth; }
    void EndUpdate() {
        --depth;
        ++ends;
        if (endRaises) throw std::runtime_error("end");
    }
};

} // namespace

TEST(ScopeGuard, RunsOnNormalExitAndOnExceptionButNotWhenDismissed) {
    int runs = 0;
    {
        ScopeGuard g([&] { ++runs; });
    }
    EXPECT_EQ(runs, 1);
    EXPECT_THROW(
        {
            ScopeGuard g([&] { ++runs; });
            throw std::runtime_error("work failed");
        },
        std::runtime_error);
    EXPECT_EQ(runs, 2);
    {
        ScopeGuard g([&] { ++runs; });
        g.Dismiss();
    }
    EXPECT_EQ(runs, 2);
}

TEST(ScopeGuard, CleanUpThatRaisesPassesOnNormallyAndIsDroppedWhileUnwinding) {
    // Normal exit: the clean-up's own failure reaches the caller.
    try {
        ScopeGuard g([] { throw std::runtime_error("clean-up"); });
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "clean-up");
    }
    // Unwinding: the work's failure is the one that arrives, and the program goes on.
    std::string seen;
    try {
        ScopeGuard g([] { throw std::runtime_error("clean-up"); });
        throw std::logic_error("work");
    } catch (const std::exception& e) {
        seen = e.what();
    }
    EXPECT_EQ(seen, "work");
}

TEST(UpdateScope, EndsTheUpdateOnEveryPathAndNests) {
    Updatable list;
    {
        UpdateScope outer(&list);
        UpdateScope inner(&list);
        EXPECT_EQ(list.depth, 2);
    }
    EXPECT_EQ(list.depth, 0);
    EXPECT_THROW(
        {
            UpdateScope u(&list);
            throw std::runtime_error("add failed");
        },
        std::runtime_error);
    EXPECT_EQ(list.depth, 0);
    EXPECT_EQ(list.ends, 3);

    // A change handler that raises from EndUpdate still reaches the caller on a normal exit.
    list.endRaises = true;
    EXPECT_THROW({ UpdateScope u(&list); }, std::runtime_error);
    EXPECT_EQ(list.depth, 0);
}
