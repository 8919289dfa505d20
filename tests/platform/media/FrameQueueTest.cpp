// The queue between the video decoder and the presenter.
#include "platform/media/internal/FrameQueue.h"

#include <gtest/gtest.h>

namespace {

using media::detail::DecodedFrame;
using media::detail::FrameQueue;

// The presenter looks at the front frame, then at the one after it; a seek between the two
// looks drops the frames of the old serial, and the pop that follows finds none.
TEST(FrameQueue, APopAfterASeekDroppedTheFramesSeenGivesAnEmptyFrame) {
    std::atomic<int> serial{0};
    FrameQueue queue(serial, 4);
    ASSERT_TRUE(queue.Push(DecodedFrame{media::ff::FramePtr(av_frame_alloc()), 0.0, 0.04, 0}));
    ASSERT_TRUE(queue.Peek(0, std::chrono::milliseconds(0)));
    serial = 1;
    EXPECT_FALSE(queue.Peek(1, std::chrono::milliseconds(0)));
    const DecodedFrame popped = queue.Pop();
    EXPECT_EQ(popped.frame, nullptr);
    EXPECT_TRUE(queue.Empty());
}

} // namespace
