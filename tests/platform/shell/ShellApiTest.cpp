#include "platform/shell/ShellApi.h"

#include "platform/headless/Headless.h"
#include "support/Poll.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr HINSTANCE kFileNotFound = 2;
constexpr HINSTANCE kNoAssociation = 31;

TEST(ShellExecuteHeadless, RecordsTheCallInsteadOfOpening) {
    headless::HeadlessSession session;
    const HINSTANCE r =
        ShellExecuteA(77, "open", "https://example.org/page", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_GT(r, 32u);
    ASSERT_EQ(session->Calls().size(), 1u);
    const headless::RecordedCall& call = session->Calls()[0];
    EXPECT_EQ(call.kind, headless::RecordedCall::Kind::Shell);
    EXPECT_EQ(call.owner, 77u);
    EXPECT_EQ(call.text, "https://example.org/page");
    EXPECT_EQ(call.caption, "open");
    EXPECT_EQ(call.type, static_cast<UINT>(SW_SHOWNORMAL));
}

TEST(ShellExecuteHeadless, ReportsAScriptedFailureAndAnEmptyTarget) {
    headless::HeadlessSession session;
    session->QueueShellResult(false);
    EXPECT_EQ(ShellExecuteA(0, "open", "https://example.org/", nullptr, nullptr, SW_SHOWNORMAL),
              kNoAssociation);
    EXPECT_EQ(ShellExecuteA(0, "open", "", nullptr, nullptr, SW_SHOWNORMAL), kFileNotFound);
    EXPECT_EQ(ShellExecuteA(0, "open", nullptr, nullptr, nullptr, SW_SHOWNORMAL), kFileNotFound);
    EXPECT_EQ(session->Calls().size(), 1u) << "an empty target never leaves the program";
}

// Without a backend that takes the call over, the desktop's opener runs. A stand-in opener on
// the search path waits for a go-ahead file, so the call can be seen to return before the
// opener has finished.
class ShellExecuteDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string opener = dir_ + "/xdg-open";
        std::ofstream(opener) << "#!/bin/sh\n"
                              << "n=0; while [ ! -e '" << dir_ << "/go' ] && [ $n -lt 200 ]; do "
                              << "sleep 0.05; n=$((n+1)); done\n"
                              << "printf '%s' \"$1\" > '" << dir_ << "/opened.tmp'\n"
                              << "mv '" << dir_ << "/opened.tmp' '" << dir_ << "/opened'\n";
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        const char* old = std::getenv("PATH");
        oldPath_ = old ? old : "";
        setenv("PATH", (dir_ + ":" + oldPath_).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", oldPath_.c_str(), 1); }
    std::string Opened() {
        if (!test_support::PollUntil([&] { return std::filesystem::exists(dir_ + "/opened"); }))
            return "(never opened)";
        std::ifstream in(dir_ + "/opened");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    test_support::TempFolder folder_{"korvid-shell-"};
    const std::string dir_ = folder_.Path().string();
    std::string oldPath_;
};

TEST_F(ShellExecuteDesktop, StartsTheOpenerDetachedAndReturnsAtOnce) {
    const HINSTANCE r =
        ShellExecuteA(0, "open", "https://example.org/a b", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_GT(r, 32u);
    // The opener is still waiting for its go-ahead: the call did not wait for it.
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/opened"));
    std::ofstream(dir_ + "/go") << "1";
    EXPECT_EQ(Opened(), "https://example.org/a b");
}

TEST_F(ShellExecuteDesktop, RefusesAnotherVerbAndAMissingOpener) {
    EXPECT_EQ(ShellExecuteA(0, "print", "/tmp/x.txt", nullptr, nullptr, SW_SHOWNORMAL),
              kNoAssociation);
    setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(ShellExecuteA(0, "open", "https://example.org/", nullptr, nullptr, SW_SHOWNORMAL),
              kNoAssociation);
}

} // namespace
