// File: tests/text/services_test.cpp
// The event-dispatch hook runs only on the thread that installed it; sleeping and the closing flag.
#include "text/services.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<int> g_calls{0};
void hook() {
    ++g_calls;
}
}  // namespace

TEST(Services, ProcessEventsIsANoOpUntilAHookIsInstalled) {
    set_process_events_hook(nullptr);
    g_calls = 0;
    process_events();
    EXPECT_EQ(g_calls, 0);
    set_process_events_hook(&hook);
    process_events();
    EXPECT_EQ(g_calls, 1);
    set_process_events_hook(nullptr);
    process_events();
    EXPECT_EQ(g_calls, 1);
}

TEST(Services, ProcessEventsOnAnotherThreadDoesNothing) {
    g_calls = 0;
    set_process_events_hook(&hook);
    std::thread worker([] { process_events(); });
    worker.join();
    EXPECT_EQ(g_calls, 0);
    process_events();
    EXPECT_EQ(g_calls, 1);
    set_process_events_hook(nullptr);
}

TEST(Services, SleepAndClosingFlag) {
    const auto t0 = std::chrono::steady_clock::now();
    sleep_ms(-5);
    sleep_ms(0);
    sleep_ms(2);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(2));
    EXPECT_FALSE(program_closing());
    set_program_closing(true);
    EXPECT_TRUE(program_closing());
    set_program_closing(false);
    EXPECT_FALSE(program_closing());
}
