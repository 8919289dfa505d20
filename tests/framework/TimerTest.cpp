#include "ControlTestUtil.h"

#include "framework/Timer.h"

namespace {

class Timer : public ControlFixture {};

TEST_F(Timer, TimerTicksOnTheFakeClock) {
    TTimer* t = CreateComponent<TTimer>(form_);
    int ticks = 0;
    t->SetInterval(50);
    t->SetOnTimer([&](TObject*) { ++ticks; });
    session_->AdvanceClock(49);
    EXPECT_EQ(ticks, 0);
    session_->AdvanceClock(1);
    EXPECT_EQ(ticks, 1);
    session_->AdvanceClock(100);
    EXPECT_EQ(ticks, 3);
    t->SetEnabled(false);
    session_->AdvanceClock(200);
    EXPECT_EQ(ticks, 3);
    t->SetInterval(0);
    t->SetEnabled(true);
    session_->AdvanceClock(200);
    EXPECT_EQ(ticks, 3);
}

TEST_F(Timer, TimerFreedAndMadeInsideItsOwnTick) {
    TTimer* t = CreateComponent<TTimer>(form_);
    TTimer* made = nullptr;
    int madeTicks = 0;
    t->SetInterval(10);
    t->SetOnTimer([&](TObject* sender) {
        made = CreateComponent<TTimer>(form_);
        made->SetInterval(10);
        made->SetOnTimer([&](TObject*) { ++madeTicks; });
        static_cast<TTimer*>(sender)->Free();
    });
    session_->AdvanceClock(10);
    ASSERT_NE(made, nullptr);
    session_->AdvanceClock(30);
    EXPECT_EQ(madeTicks, 3);
}

TEST_F(Timer, TimerExceptionIsShown) {
    TTimer* t = CreateComponent<TTimer>(form_);
    t->SetInterval(10);
    t->SetOnTimer([&](TObject*) {
        t->SetEnabled(false);
        throw EInvalidOperation("Tick failed");
    });
    session_->AdvanceClock(10);
    ASSERT_EQ(session_->Calls().size(), 1u);
    EXPECT_EQ(session_->Calls()[0].text, "Tick failed");
}

} // namespace
