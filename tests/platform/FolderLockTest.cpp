#include "platform/FolderLock.h"

#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "support/TestEnv.h"

class FolderLockTest : public QuillonTest {};

TEST_F(FolderLockTest, AWaiterGetsTheLockWhenItIsFreedAndGivesUpWhenItIsNot) {
    auto holder = std::make_unique<FolderLock>(temp_);
    ASSERT_TRUE(holder->Held());

    QElapsedTimer clock;
    clock.start();
    {
        FolderLock late(temp_, 150);
        EXPECT_FALSE(late.Held());
        EXPECT_TRUE(late.TimedOut());
    }
    EXPECT_GE(clock.elapsed(), 140);
    EXPECT_LT(clock.elapsed(), 5000);

    // A waiter blocked in the queue gets the lock as soon as it is freed.
    std::atomic<bool> got{false};
    std::thread waiter([&] {
        FolderLock lock(temp_, 10000);
        got = lock.Held();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(got);
    clock.restart();
    holder.reset();
    waiter.join();
    EXPECT_TRUE(got);
    EXPECT_LT(clock.elapsed(), 2000);

    // A folder that is not there has nothing to lock and is no time-out.
    FolderLock none(temp_ + "/missing", 10);
    EXPECT_FALSE(none.Held());
    EXPECT_FALSE(none.TimedOut());
}
