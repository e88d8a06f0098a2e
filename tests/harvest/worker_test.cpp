// File: tests/harvest/worker_test.cpp
// The harvest worker against the sample directory on 127.0.0.1, with fake controls: what it
// requests, in which order it shows, appends and saves, how it stops, and how it weathers faults.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "groups/list_file.h"
#include "groups/store.h"
#include "harvest/harvest.h"
#include "harvest/harvest_support.h"
#include "harvest/listing.h"
#include "support/fake_window.h"
#include "text/services.h"
#include "tools/qr_png.h"
#include "tools/sample_server.h"

namespace {

SampleDirectoryOptions directory(int32_t per_page, std::vector<Fault> faults = {}, int32_t stall_ms = 60000) {
    SampleDirectoryOptions options;
    options.per_page = per_page;
    options.faults = std::move(faults);
    options.stall_ms = stall_ms;
    return options;
}

std::string status_of(int page, int item) {
    return "status:" + harvest_status_text(page, item);
}

class HarvestWorker : public ::testing::Test {
protected:
    void SetUp() override {
        reset_harvest_for_test();
        set_harvest_pause_for_test(0);
        group_store().set("");
        waiter = std::make_unique<HarvestWaiter>();
    }
    void TearDown() override {
        if (server) {
            server->stop();
        }
        waiter.reset();
        unsetenv("QUEQIAO_DIRECTORY");
        reset_harvest_for_test();
        group_store().set("");
    }

    void serve(SampleDirectoryOptions options) {
        options_ = std::move(options);
        server = std::make_unique<SampleDirectoryServer>(options_);
        ASSERT_TRUE(server->start("127.0.0.1", 0));
        setenv("QUEQIAO_DIRECTORY", server->host().c_str(), 1);
    }

    // The directory's own account of what a whole harvest yields, as the file must hold it.
    [[nodiscard]] std::string expected_file() const { return list_file_of(expected_entries(options_, server->host())); }
    [[nodiscard]] std::string list_file() const { return read_whole_file(dir.list_path()); }

    [[nodiscard]] std::vector<std::string> listing_requests() const {
        std::vector<std::string> out;
        for (const std::string& r : server->requests()) {
            if (r.starts_with("/wxq-")) {
                out.push_back(r);
            }
        }
        return out;
    }

    // Ticks 选择框1 (or closes the program) when the server receives target.
    void on_request(const std::string& target, std::function<void()> action) {
        server->set_request_hook([target, action](const std::string& got) {
            if (got == target) {
                action();
            }
        });
    }

    ScopedWorkDir dir;
    ScopedFakeWindow window;
    std::unique_ptr<HarvestWaiter> waiter;
    std::unique_ptr<SampleDirectoryServer> server;
    SampleDirectoryOptions options_;
};

std::string qr_target(int page, int item) {
    return "/qr/" + std::to_string(sample_group(page, item).id) + ".png";
}
std::string group_target(int page, int item) {
    return "/qun/" + std::to_string(sample_group(page, item).id) + ".html";
}

TEST_F(HarvestWorker, WholeRunRequestsShowsAppendsAndSavesInOrder) {
    serve(directory(3));
    FakeControls& controls = window.controls;
    controls.set_status("before");
    controls.clear_events();
    Text status_during_first_listing = "unset";
    on_request(listing_path(1), [&] { status_during_first_listing = controls.status(); });
    std::vector<std::pair<std::string, int32_t>> seen;  // event and the store's lines at that moment
    controls.on_event = [&seen](const FakeControls::Event& ev) {
        seen.emplace_back(ev.what, count_lines(group_store().read()));
    };

    ASSERT_TRUE(waiter->run());

    std::vector<std::string> expected_requests;
    std::vector<std::pair<std::string, int32_t>> expected_seen;
    int32_t appended = 0;
    for (int page = 1; page <= kSamplePages; ++page) {
        expected_requests.push_back(listing_path(page));
        for (int item = 1; item <= 3; ++item) {
            expected_requests.push_back(group_target(page, item));
            expected_requests.push_back(qr_target(page, item));
            const size_t png_size = make_qr_png(join_address(sample_group(page, item).id)).size();
            expected_seen.emplace_back("info:" + to_gbk(sample_group(page, item).title), appended);
            expected_seen.emplace_back("picture:" + std::to_string(png_size), appended);
            expected_seen.emplace_back(status_of(page, item), ++appended);
        }
    }
    EXPECT_EQ(server->requests(), expected_requests);  // ten listing pages, in order, no eleventh
    EXPECT_EQ(seen, expected_seen);
    EXPECT_EQ(status_during_first_listing, "before");
    EXPECT_EQ(page_no(), 11);
    EXPECT_EQ(item_no(), 4);
    EXPECT_EQ(list_file(), expected_file());
    EXPECT_EQ(group_store().read(), expected_file());
    EXPECT_EQ(controls.picture(), make_qr_png(join_address(sample_group(10, 3).id)));
    EXPECT_FALSE(harvest_running());
}

TEST_F(HarvestWorker, SevenGroupsMakeSevenLines) {
    serve(directory(1, {{FaultKind::NotFound, 8, 0}, {FaultKind::Drop, 9, 0}, {FaultKind::NotFound, 10, 0}}));
    ASSERT_TRUE(waiter->run());
    const std::string file = list_file();
    EXPECT_EQ(file, expected_file());
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 7);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 7);
    EXPECT_TRUE(file.ends_with("\r\n"));
    EXPECT_EQ(listing_requests().size(), 10U);
}

TEST_F(HarvestWorker, StopBoxTickedBeforeStartHarvestsOneGroup) {
    serve(directory(4));
    window.controls.user_set_auto_switch(true);
    ASSERT_TRUE(waiter->run());
    EXPECT_EQ(server->requests(), (std::vector<std::string>{listing_path(1), group_target(1, 1), qr_target(1, 1)}));
    EXPECT_EQ(list_file(), list_file_of({expected_entries(options_, server->host()).front()}));
    EXPECT_EQ(window.controls.status(), harvest_status_text(1, 1));
    EXPECT_EQ(page_no(), 1);
    EXPECT_EQ(item_no(), 1);
}

// Ticking the box while item k's QR image downloads completes item k, saves k lines and ends.
TEST_F(HarvestWorker, StopBoxTickedDuringADownload) {
    const int per_page = 4;
    for (const int k : {1, 3, 4, 6}) {
        SCOPED_TRACE(k);
        serve(directory(per_page));
        window.controls.user_set_auto_switch(false);
        group_store().set("");
        const int page = (k - 1) / per_page + 1;
        const int item = (k - 1) % per_page + 1;
        on_request(qr_target(page, item), [&] { window.controls.user_set_auto_switch(true); });

        ASSERT_TRUE(waiter->run());
        std::vector<std::string> entries = expected_entries(options_, server->host());
        entries.resize(k);
        EXPECT_EQ(list_file(), list_file_of(entries));
        EXPECT_EQ(group_store().read(), list_file_of(entries));
        EXPECT_EQ(window.controls.whats().back(), status_of(page, item));
        EXPECT_EQ(server->requests().back(), qr_target(page, item));  // nothing after the stop
        EXPECT_EQ(page_no(), page);
        EXPECT_EQ(item_no(), item);
        server->stop();
    }
}

// Each fault: the harvest goes on to page 10 and the file holds what the directory gave.
TEST_F(HarvestWorker, FaultsLeaveEmptyPartsEmptyAndGoOn) {
    struct Case {
        const char* fault;
        const char* line;  // a line the file must hold (UTF-8), or nullptr
    };
    const Case cases[] = {
        {"404@3", nullptr},          {"drop@4", nullptr},
        {"stall@2", nullptr},        {"404@2.2", nullptr},
        {"drop@2.2", nullptr},       {"stall@2.2", nullptr},
        {"no-qr@2.3", nullptr},      {"no-title@2.1", "|"},
        {"pipe-title@1.2", nullptr}, {"relative-link@2.3", nullptr},
        {"duplicate@3.1", nullptr},  {"crlf-title@1.1", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const Fault fault = *parse_fault(c.fault);
        serve(directory(3, {fault}, 300));
        group_store().set("");
        window.controls.clear_events();

        ASSERT_TRUE(waiter->run());
        const std::string file = list_file();
        EXPECT_EQ(file, expected_file());
        EXPECT_EQ(listing_requests().size(), 10U);
        if (c.line) {
            EXPECT_NE(file.find("\r\n" + to_gbk(c.line) + "\r\n"), std::string::npos);
        }
        // Every item shows its title, sets the panel (empty bytes too) and its status, in order.
        const std::vector<std::string> whats = window.controls.whats();
        const size_t entries = expected_entries(options_, server->host()).size();
        ASSERT_EQ(whats.size(), 3 * entries);
        for (size_t i = 0; i < entries; ++i) {
            EXPECT_TRUE(whats[3 * i].starts_with("info:"));
            EXPECT_TRUE(whats[3 * i + 1].starts_with("picture:"));
            EXPECT_TRUE(whats[3 * i + 2].starts_with("status:"));
        }
        if (fault.kind == FaultKind::RelativeLink) {  // passed on unchanged, so never reached
            const auto requests = server->requests();
            EXPECT_EQ(std::count(requests.begin(), requests.end(), group_target(2, 3)), 0);
        }
        if (fault.kind == FaultKind::CrLfTitle) {  // shown as stored: one line
            EXPECT_EQ(whats[0], "info:" + to_gbk(expected_entries(options_, server->host())[0].substr(
                                              0, expected_entries(options_, server->host())[0].find('|'))));
        }
        server->stop();
    }
}

TEST_F(HarvestWorker, UnreachableDirectoryLeavesTheListAlone) {
    // A port bound but not listening refuses every connection.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    setenv("QUEQIAO_DIRECTORY", ("127.0.0.1:" + std::to_string(ntohs(addr.sin_port))).c_str(), 1);
    write_whole_file(dir.list_path(), "old|http://127.0.0.1/q.png\r\n");
    group_store().set("old|http://127.0.0.1/q.png\r\n");

    ASSERT_TRUE(waiter->run());
    ::close(fd);
    EXPECT_EQ(list_file(), "old|http://127.0.0.1/q.png\r\n");
    EXPECT_EQ(group_store().read(), "");
    EXPECT_TRUE(window.controls.whats().empty());
    EXPECT_EQ(page_no(), 11);
    EXPECT_EQ(item_no(), 1);
}

TEST_F(HarvestWorker, ClickWhileRunningDoesNothing) {
    serve(directory(2));
    bool running_then = false;
    Text store_after_click;
    on_request(qr_target(3, 1), [&] {
        running_then = harvest_running();
        start_harvest();
        store_after_click = group_store().read();
    });
    ASSERT_TRUE(waiter->run());
    EXPECT_TRUE(running_then);
    const std::vector<std::string> entries = expected_entries(options_, server->host());
    EXPECT_EQ(store_after_click, list_file_of({entries.begin(), entries.begin() + 4}));
    EXPECT_EQ(listing_requests().size(), 10U);
    EXPECT_EQ(list_file(), expected_file());
    EXPECT_EQ(waiter->ended(), 1);
    EXPECT_FALSE(harvest_running());
}

TEST_F(HarvestWorker, StartEmptiesTheStoreAndStartsAgainFromPageOne) {
    serve(directory(1));
    group_store().set("x|y\r\n");
    ASSERT_TRUE(waiter->run());
    EXPECT_EQ(group_store().read(), expected_file());
    server->clear_requests();
    ASSERT_TRUE(waiter->run());
    EXPECT_EQ(group_store().read(), expected_file());
    EXPECT_EQ(listing_requests().front(), listing_path(1));
}

// Closing the window ends the worker at once; the file keeps the last page saved before.
TEST_F(HarvestWorker, ClosingEndsTheWorkerWithoutAnotherSave) {
    struct Case {
        const char* name;
        const char* fault;
        std::string target;
    };
    const Case cases[] = {
        {"during a QR download", nullptr, qr_target(2, 2)},
        {"during a stalled group page", "stall@2.2", group_target(2, 2)},
        {"during a stalled listing page", "stall@2", listing_path(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SampleDirectoryOptions options = directory(3, {}, 120000);
        if (c.fault) {
            options.faults.push_back(*parse_fault(c.fault));
        }
        serve(options);
        set_program_closing(false);
        group_store().set("");
        window.controls.clear_events();
        on_request(c.target, [] { set_program_closing(true); });

        ASSERT_TRUE(waiter->run(std::chrono::seconds(20)));  // well before the stall would end
        std::vector<std::string> entries = expected_entries(options_, server->host());
        entries.resize(3);
        EXPECT_EQ(list_file(), list_file_of(entries));
        const std::vector<std::string> whats = window.controls.whats();
        const auto statuses =
            std::count_if(whats.begin(), whats.end(), [](const std::string& w) { return w.starts_with("status:"); });
        EXPECT_EQ(statuses, c.target == listing_path(2) ? 3 : 4);  // the item under way is not counted
        // Closed during the QR download: the title was shown, nothing after it.
        ASSERT_FALSE(whats.empty());
        EXPECT_TRUE(whats.back().starts_with(c.target == qr_target(2, 2) ? "info:" : "status:")) << whats.back();
        EXPECT_EQ(server->requests().back(), c.target);
        server->stop();
    }
    set_program_closing(false);
}

}  // namespace
