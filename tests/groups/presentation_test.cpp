// File: tests/groups/presentation_test.cpp
// The presentation cycle on the fake window: which texts, pictures and box changes each step
// makes and at which virtual moment, with clicks, unticks and closes injected during its waits.
#include "groups/presentation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "groups/store.h"
#include "support/fake_window.h"
#include "text/services.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// GBK bytes of a UTF-8 text, made by the C library's converter rather than copied from the code.
Text gbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8;
    std::string out(in.size() * 2, '\0');
    char* src = in.data();
    char* dst = out.data();
    size_t src_left = in.size();
    size_t dst_left = out.size();
    EXPECT_NE(iconv(cd, &src, &src_left, &dst, &dst_left), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - dst_left);
    return out;
}

const Text kOpeningBefore = gbk("现在正打开第");
const Text kOpeningAfter = gbk("条群二维码，请稍等!");
const Text kAutomatic = gbk("您选择了自动模式，将自动切换下一个微信群，请尽快扫描!");
const Text kManual = gbk("已切成功啦！请扫描进群吧！");

// The status texts shown as tokens, so that a failure reads well; any other text stays raw and fails.
std::string readable(const std::string& what) {
    const std::string prefix = "status:";
    if (what.rfind(prefix, 0) != 0) {
        return what;
    }
    const std::string text = what.substr(prefix.size());
    if (text == kAutomatic) {
        return "status:<auto>";
    }
    if (text == kManual) {
        return "status:<manual>";
    }
    if (text.size() > kOpeningBefore.size() + kOpeningAfter.size() && text.rfind(kOpeningBefore, 0) == 0 &&
        text.compare(text.size() - kOpeningAfter.size(), kOpeningAfter.size(), kOpeningAfter) == 0) {
        return "status:<opening " +
               text.substr(kOpeningBefore.size(), text.size() - kOpeningBefore.size() - kOpeningAfter.size()) + ">";
    }
    return what;
}

// What the screen-blank hook was told, with the virtual time.
std::vector<std::string> g_hook_calls;
const FakePump* g_hook_clock = nullptr;
void record_hook(bool inhibit) {
    g_hook_calls.push_back(std::to_string(g_hook_clock->tick_count()) + (inhibit ? " on" : " off"));
}

class PresentationTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_presentation_state();
        group_store().set("");
        g_hook_calls.clear();
        g_hook_clock = &window.pump;
        set_screen_blank_hook(&record_hook);
    }
    void TearDown() override {
        set_screen_blank_hook(nullptr);
        group_store().set("");
        reset_presentation_state();
    }

    // "<virtual ms> <event>" for every change the step made to the controls.
    std::vector<std::string> timeline() const {
        std::vector<std::string> out;
        for (const FakeControls::Event& ev : window.controls.events()) {
            out.push_back(std::to_string(ev.at) + " " + readable(ev.what));
        }
        return out;
    }

    ScopedFakeWindow window;
};

// The three status texts, byte for byte: the first two end in ASCII "!", the third in full-width "！".
TEST_F(PresentationTest, StatusTextsAreTheGbkBytes) {
    EXPECT_EQ(kOpeningBefore, "\xcf\xd6\xd4\xda\xd5\xfd\xb4\xf2\xbf\xaa\xb5\xda");
    EXPECT_EQ(kOpeningAfter.back(), '!');
    EXPECT_EQ(kAutomatic.back(), '!');
    EXPECT_EQ(kManual.substr(kManual.size() - 2), "\xa3\xa1");

    group_store().set("a|u\r\n");
    window.controls.user_set_auto_switch(true);
    window.controls.user_set_interval("0");
    show_next_group();
    std::vector<Text> statuses;
    for (const FakeControls::Event& ev : window.controls.events()) {
        if (ev.what.rfind("status:", 0) == 0) {
            statuses.push_back(ev.what.substr(7));
        }
    }
    EXPECT_THAT(statuses, ElementsAre(kOpeningBefore + "1" + kOpeningAfter, kAutomatic));

    show_next_group();  // the chain unticked the box at the end: entry 1 again, by hand
    EXPECT_EQ(window.controls.status(), kManual);
}

// A moment during a wait at which the user does something.
struct Moment {
    uint32_t at;
    enum Kind { kClick, kUntick, kClose } kind;
};

struct ChainCase {
    const char* name;
    Text store;
    bool ticked;
    Text interval;
    int clicks;  // clicks from idle, one after another
    std::vector<Moment> moments;
    std::vector<std::string> expected;
    std::vector<std::string> screen_blank;
    int32_t index_after;
    bool ticked_after;
};

const Text kThree = "a|u1\r\nb|u2\r\nc|u3\r\n";

// clang-format off
const ChainCase kChainCases[] = {
    {"manual list of three through five clicks; the store's final CR LF makes no empty fourth entry",
     kThree, false, "5000", 5, {},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<manual>",
      "501 status:<opening 2>", "501 info:b", "501 picture:0", "1002 status:<manual>",
      "1002 status:<opening 3>", "1002 info:c", "1002 picture:0", "1503 status:<manual>",
      "1503 tick:0",
      "1503 status:<opening 1>", "1503 info:a", "1503 picture:0", "2004 status:<manual>"},
     {}, 1, false},
    {"automatic chain of three with 5000: 5.5 s apart, unticked at the end, automatic text left",
     kThree, true, "5000", 1, {},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<auto>",
      "5502 status:<opening 2>", "5502 info:b", "5502 picture:0", "6003 status:<auto>",
      "11004 status:<opening 3>", "11004 info:c", "11004 picture:0", "11505 status:<auto>",
      "16506 tick:0"},
     {"501 on", "16506 off"}, 0, false},
    {"interval 'abc' is no interval: one entry per 500 ms pause",
     kThree, true, "abc", 1, {},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<auto>",
      "501 status:<opening 2>", "501 info:b", "501 picture:0", "1002 status:<auto>",
      "1002 status:<opening 3>", "1002 info:c", "1002 picture:0", "1503 status:<auto>",
      "1503 tick:0"},
     {"501 on", "1503 off"}, 0, false},
    {"unticked during the interval: one more entry, then the manual text",
     kThree, true, "5000", 1, {{1000, Moment::kUntick}},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<auto>",
      "5502 status:<opening 2>", "5502 info:b", "5502 picture:0", "6003 status:<manual>"},
     {"501 on", "6003 off"}, 2, false},
    {"two quick clicks in manual mode show entries 1 and 2, both pauses end with the manual text",
     kThree, false, "5000", 1, {{100, Moment::kClick}},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0",
      "100 status:<opening 2>", "100 info:b", "100 picture:0", "601 status:<manual>",
      "601 status:<manual>"},
     {}, 2, false},
    {"a click during an automatic interval runs a nested chain; the outer step then shows entry 1",
     kThree, true, "5000", 1, {{1000, Moment::kClick}},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<auto>",
      "1000 status:<opening 2>", "1000 info:b", "1000 picture:0", "1501 status:<auto>",
      "6502 status:<opening 3>", "6502 info:c", "6502 picture:0", "7003 status:<auto>",
      "12004 tick:0",
      "12004 status:<opening 1>", "12004 info:a", "12004 picture:0", "12505 status:<manual>"},
     {"501 on", "12505 off"}, 1, false},
    {"'t|x|u' shows the title before the first '|'",
     "t|x|u\r\n", false, "5000", 1, {},
     {"0 status:<opening 1>", "0 info:t", "0 picture:0", "501 status:<manual>"},
     {}, 1, false},
    {"a blank line is a step with an empty title and a cleared picture",
     "a|u1\r\n\r\nb|u2", false, "5000", 2, {},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<manual>",
      "501 status:<opening 2>", "501 info:", "501 picture:0", "1002 status:<manual>"},
     {}, 2, false},
    {"closed during the automatic interval: the chain ends without touching a control",
     kThree, true, "5000", 1, {{1000, Moment::kClose}},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<auto>"},
     {"501 on", "1000 off"}, 1, true},
    {"closed during the 500 ms pause: no final text",
     kThree, false, "5000", 1, {{200, Moment::kClose}},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0"},
     {}, 1, false},
    {"closed during a nested chain's interval: both chains end",
     kThree, true, "5000", 1, {{1000, Moment::kClick}, {3000, Moment::kClose}},
     {"0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<auto>",
      "1000 status:<opening 2>", "1000 info:b", "1000 picture:0", "1501 status:<auto>"},
     {"501 on", "3000 off"}, 2, true},
};
// clang-format on

TEST_F(PresentationTest, StepsAndChains) {
    for (const ChainCase& c : kChainCases) {
        SCOPED_TRACE(c.name);
        reset_presentation_state();
        set_program_closing(false);
        window.pump.set_now(0);
        window.controls.clear_events();
        g_hook_calls.clear();
        group_store().set(c.store);
        window.controls.user_set_auto_switch(c.ticked);
        window.controls.user_set_interval(c.interval);
        for (const Moment& m : c.moments) {
            window.pump.at(m.at, [this, kind = m.kind] {
                switch (kind) {
                    case Moment::kClick:
                        show_next_group();
                        break;
                    case Moment::kUntick:
                        window.controls.user_set_auto_switch(false);
                        break;
                    case Moment::kClose:
                        set_program_closing(true);
                        break;
                }
            });
        }
        for (int i = 0; i < c.clicks; ++i) {
            show_next_group();
        }
        EXPECT_THAT(timeline(), ElementsAreArray(c.expected));
        EXPECT_THAT(g_hook_calls, ElementsAreArray(c.screen_blank));
        EXPECT_EQ(current_index(), c.index_after);
        EXPECT_EQ(window.controls.auto_switch(), c.ticked_after);
    }
}

TEST_F(PresentationTest, IndexAdvancesOnAnEmptyStoreAndCarriesOverToANewList) {
    for (int i = 0; i < 3; ++i) {
        show_next_group();
    }
    EXPECT_EQ(current_index(), 3);
    EXPECT_THAT(window.controls.events(), IsEmpty());

    group_store().set("a|1\r\nb|2\r\nc|3\r\nd|4\r\ne|5\r\n");
    show_next_group();
    EXPECT_EQ(current_index(), 4);
    EXPECT_EQ(current_entry(), "d|4");
    EXPECT_THAT(timeline(), ElementsAre("0 status:<opening 4>", "0 info:d", "0 picture:0", "501 status:<manual>"));
}

// An automatic chain that reaches an emptied store (a harvest started meanwhile) ends there,
// leaving the box ticked.
TEST_F(PresentationTest, ChainEndsQuietlyAtAnEmptiedStore) {
    group_store().set(kThree);
    window.controls.user_set_auto_switch(true);
    window.pump.at(1000, [] { group_store().set(""); });
    show_next_group();
    EXPECT_THAT(timeline(), ElementsAre("0 status:<opening 1>", "0 info:a", "0 picture:0", "501 status:<auto>"));
    EXPECT_EQ(current_index(), 2);
    EXPECT_TRUE(window.controls.auto_switch());
    EXPECT_THAT(g_hook_calls, ElementsAre("501 on", "5502 off"));
}

TEST_F(PresentationTest, ClosedDuringTheDownloadLeavesThePictureAlone) {
    group_store().set(kThree);
    window.pump.set_blocking_cost(300);
    window.controls.on_event = [](const FakeControls::Event& ev) {
        if (ev.what.rfind("info:", 0) == 0) {
            set_program_closing(true);  // the window closes while the image is on its way
        }
    };
    show_next_group();
    window.controls.on_event = nullptr;
    EXPECT_THAT(timeline(), ElementsAre("0 status:<opening 1>", "0 info:a"));
}

TEST_F(PresentationTest, DownloadTimeDelaysThePause) {
    group_store().set(kThree);
    window.pump.set_blocking_cost(250);
    show_next_group();
    EXPECT_THAT(timeline(), ElementsAre("0 status:<opening 1>", "0 info:a", "250 picture:0", "751 status:<manual>"));
}

TEST_F(PresentationTest, NothingHappensWithoutAWindow) {
    group_store().set(kThree);
    install_window(nullptr, nullptr);
    show_next_group();
    install_window(&window.controls, &window.pump);
    EXPECT_EQ(current_index(), 0);
    EXPECT_THAT(window.controls.events(), IsEmpty());
}

TEST_F(PresentationTest, WaitReturnsAtOnceForNoDuration) {
    bool ran = false;
    window.pump.set_now(1000);
    window.pump.at(0, [&] { ran = true; });
    for (int32_t ms : {0, -5, INT32_MIN}) {
        SCOPED_TRACE(ms);
        EXPECT_TRUE(wait_processing_events(ms));
        EXPECT_EQ(window.pump.tick_count(), 1000U);
        EXPECT_EQ(window.pump.dispatch_count(), 0);
        EXPECT_FALSE(ran);
    }
}

TEST_F(PresentationTest, WaitDispatchesUntilItsEndHasPassed) {
    struct Case {
        uint32_t start;
        int32_t ms;
        uint32_t returns_at;
    };
    // The end wraps at 2^32 like the tick count.
    const Case cases[] = {{1000, 300, 1301}, {0, 1, 2}, {0xFFFFFF00U, 0x200, 0x101}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        window.pump.set_now(c.start);
        uint32_t ran_at = 0;
        window.pump.at(c.start + 1, [&] { ran_at = window.pump.tick_count(); });
        EXPECT_TRUE(wait_processing_events(c.ms));
        EXPECT_EQ(window.pump.tick_count(), c.returns_at);
        EXPECT_EQ(ran_at, c.start + 1);
    }
}

TEST_F(PresentationTest, WaitEndsAtOnceWhenClosing) {
    window.pump.at(100, [] { set_program_closing(true); });
    EXPECT_FALSE(wait_processing_events(5000));
    EXPECT_EQ(window.pump.tick_count(), 100U);
    EXPECT_FALSE(wait_processing_events(5000));
    EXPECT_FALSE(wait_processing_events(0));
    EXPECT_EQ(window.pump.tick_count(), 100U);
}

}  // namespace
