// File: tools/sample_directory.cpp
// The sample directory's groups, its fault table and its HTML pages.
#include "tools/sample_directory.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {
// Group ids: 100000 + page * 1000 + item, so an id tells its place.
constexpr int32_t kIdBase = 100000;

constexpr std::array<std::string_view, 16> kCities = {
    "北京", "上海", "广州", "深圳", "杭州", "成都", "武汉", "南京",
    "西安", "重庆", "苏州", "长沙", "郑州", "青岛", "厦门", "天津",
};
constexpr std::array<std::string_view, 20> kTopics = {
    "宝妈育儿交流群", "户外徒步群", "摄影爱好者群", "程序员技术交流群", "美食探店群", "考研互助群",   "二手闲置群",
    "跑步打卡群",     "读书分享会", "篮球约球群",   "英语角",           "创业交流群", "宠物之家",     "自驾游俱乐部",
    "羽毛球群",       "健身打卡群", "租房信息群",   "茶友会",           "钓鱼交流群", "广场舞姐妹群",
};
constexpr std::array<std::string_view, 6> kSuffixes = {"", "①群", "②群", "（新）", "【官方】", "3群"};

uint32_t mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

std::optional<int32_t> read_number(std::string_view text) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

bool item_only(FaultKind kind) {
    return kind != FaultKind::NotFound && kind != FaultKind::Stall && kind != FaultKind::Drop;
}

constexpr std::array<std::pair<FaultKind, std::string_view>, 9> kFaultNames = {{
    {FaultKind::NotFound, "404"},
    {FaultKind::Stall, "stall"},
    {FaultKind::Drop, "drop"},
    {FaultKind::NoQr, "no-qr"},
    {FaultKind::NoTitle, "no-title"},
    {FaultKind::PipeTitle, "pipe-title"},
    {FaultKind::RelativeLink, "relative-link"},
    {FaultKind::Duplicate, "duplicate"},
    {FaultKind::CrLfTitle, "crlf-title"},
}};

std::string page_head(std::string_view title) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    out += title;
    out += "</title>\n</head>\n<body>\n";
    return out;
}
}  // namespace

std::optional<Fault> parse_fault(std::string_view text) {
    const size_t at = text.find('@');
    const std::string_view name = text.substr(0, at);
    std::optional<FaultKind> kind;
    for (const auto& [k, n] : kFaultNames) {
        if (n == name) {
            kind = k;
        }
    }
    if (!kind) {
        return std::nullopt;
    }
    Fault fault{*kind, 2, item_only(*kind) ? 3 : 0};
    if (at == std::string_view::npos) {
        return fault;
    }
    const std::string_view place = text.substr(at + 1);
    const size_t dot = place.find('.');
    const auto page = read_number(place.substr(0, dot));
    if (!page || *page < 1 || *page > kSamplePages) {
        return std::nullopt;
    }
    fault.page = *page;
    if (dot != std::string_view::npos) {
        const auto item = read_number(place.substr(dot + 1));
        if (!item || *item < 1 || *item > kMaxPerPage) {
            return std::nullopt;
        }
        fault.item = *item;
    }
    if (item_only(*kind) && fault.item == 0) {
        fault.item = 3;
    }
    return fault;
}

std::string_view fault_name(FaultKind kind) {
    for (const auto& [k, n] : kFaultNames) {
        if (k == kind) {
            return n;
        }
    }
    return {};
}

SampleGroup sample_group(int32_t page, int32_t item) {
    const uint32_t h = mix(static_cast<uint32_t>(page) * 7919U + static_cast<uint32_t>(item) * 104729U);
    SampleGroup group;
    group.id = kIdBase + page * 1000 + item;
    group.page = page;
    group.item = item;
    group.title = std::string(kCities[h % kCities.size()]);
    group.title += kTopics[(h / 16) % kTopics.size()];
    group.title += kSuffixes[(h / 320) % kSuffixes.size()];
    return group;
}

std::optional<SampleGroup> sample_group_by_id(const SampleDirectoryOptions& options, int32_t id) {
    const int32_t rest = id - kIdBase;
    const int32_t page = rest / 1000;
    const int32_t item = rest % 1000;
    if (rest < 0 || page < 1 || page > kSamplePages || item < 1 || item > options.per_page) {
        return std::nullopt;
    }
    return sample_group(page, item);
}

std::string join_address(int32_t id) {
    return "https://join.example/qun/" + std::to_string(id);
}

std::string listing_path(int32_t page) {
    return "/wxq-9-" + std::to_string(page) + "-or-3-vi-1.html";
}

std::string group_page_address(std::string_view host, int32_t id) {
    return "http://" + std::string(host) + "/qun/" + std::to_string(id) + ".html";
}

std::string qr_image_address(std::string_view host, int32_t id) {
    return "http://" + std::string(host) + "/qr/" + std::to_string(id) + ".png";
}

const Fault* find_fault(const SampleDirectoryOptions& options, FaultKind kind, int32_t page, int32_t item) {
    for (const Fault& f : options.faults) {
        if (f.kind == kind && f.page == page && f.item == item) {
            return &f;
        }
    }
    return nullptr;
}

std::vector<ListingItem> listing_entries(const SampleDirectoryOptions& options, int32_t page) {
    std::vector<ListingItem> items;
    if (page < 1 || page > kSamplePages) {
        return items;
    }
    for (int32_t i = 1; i <= options.per_page; ++i) {
        ListingItem item;
        item.group = sample_group(page, i);
        item.title = item.group.title;
        item.link = group_page_address("{host}", item.group.id);
        if (find_fault(options, FaultKind::NoTitle, page, i)) {
            item.with_title = false;
        }
        if (find_fault(options, FaultKind::PipeTitle, page, i)) {
            // The city, a bar, the rest: "上海|宝妈育儿交流群".
            item.title.insert(std::string_view("北京").size(), "|");
        }
        if (find_fault(options, FaultKind::CrLfTitle, page, i)) {
            item.title.insert(std::string_view("北京").size(), "\r\n");
        }
        if (find_fault(options, FaultKind::RelativeLink, page, i)) {
            item.link = "/qun/" + std::to_string(item.group.id) + ".html";
        }
        items.push_back(item);
        if (find_fault(options, FaultKind::Duplicate, page, i)) {
            items.push_back(item);
        }
    }
    return items;
}

namespace {
std::string with_host(std::string text, std::string_view host) {
    constexpr std::string_view kPlaceholder = "{host}";
    for (size_t at = text.find(kPlaceholder); at != std::string::npos; at = text.find(kPlaceholder, at)) {
        text.replace(at, kPlaceholder.size(), host);
        at += host.size();
    }
    return text;
}
}  // namespace

std::string index_html(std::string_view host) {
    std::string out = page_head("微信群导航 - 最新微群");
    out += "<h1>微信群导航</h1>\n<ul>\n";
    for (int32_t page = 1; page <= kSamplePages; ++page) {
        out += "<li><a href=\"http://" + std::string(host) + listing_path(page) + "\">最新微群 第" +
               std::to_string(page) + "页</a></li>\n";
    }
    out += "</ul>\n</body>\n</html>\n";
    return out;
}

std::string listing_html(const SampleDirectoryOptions& options, std::string_view host, int32_t page) {
    std::string out = page_head("最新微群 第" + std::to_string(page) + "页 - 微信群导航");
    out += "<div class=\"nav\"><a href=\"http://" + std::string(host) + "/\">首页</a> &gt; 最新微群</div>\n";
    out += "<div class=\"list\">\n";
    for (const ListingItem& item : listing_entries(options, page)) {
        const std::string link = with_host(item.link, host);
        out += "<div class=\"dt bb1\"><a href=\"" + link + "\"";
        if (item.with_title) {
            out += " title=\"" + item.title + "\"";
        }
        out += "><img src=\"" + qr_image_address(host, item.group.id) + "\" width=\"80\" height=\"80\" alt=\"\"></a>";
        out += "<p class=\"tt\">" + item.group.title + "</p><p class=\"gray\">扫码进群，禁止广告</p></div>\n";
    }
    out += "</div>\n<div class=\"pages\">";
    for (int32_t p = 1; p <= kSamplePages; ++p) {
        out += " <a href=\"http://" + std::string(host) + listing_path(p) + "\">" + std::to_string(p) + "</a>";
    }
    out += "</div>\n</body>\n</html>\n";
    return out;
}

std::string group_html(const SampleDirectoryOptions& options, std::string_view host, const SampleGroup& group) {
    const std::string qr = qr_image_address(host, group.id);
    std::string out = page_head(group.title + " - 微信群导航");
    out += "<h1>" + group.title + "</h1>\n";
    if (find_fault(options, FaultKind::NoQr, group.page, group.item)) {
        out += "<div class=\"fLeft b2\"><p><img src=\"" + qr + "\" alt=\"二维码\"></p></div>\n";
    } else {
        out += "<div class=\"fLeft b1\"><p><a href=\"" + qr + "\"><img src=\"" + qr + "\" alt=\"二维码\"></a></p>";
        out += "<p>微信扫一扫，加入本群</p></div>\n";
    }
    out += "<div class=\"fRight\"><p>群号：" + std::to_string(group.id) + "</p></div>\n</body>\n</html>\n";
    return out;
}

std::string not_found_html() {
    return page_head("404") + "<h1>404 页面不存在</h1>\n</body>\n</html>\n";
}

std::vector<std::string> expected_entries(const SampleDirectoryOptions& options, std::string_view host) {
    std::vector<std::string> out;
    for (int32_t page = 1; page <= kSamplePages; ++page) {
        if (find_fault(options, FaultKind::NotFound, page, 0) || find_fault(options, FaultKind::Drop, page, 0)) {
            continue;
        }
        for (const ListingItem& item : listing_entries(options, page)) {
            const int32_t i = item.group.item;
            std::string title = item.with_title ? item.title : "";
            std::replace_if(
                title.begin(), title.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
            const bool reachable = item.with_title && item.link.starts_with("http://");
            const bool has_qr = reachable && !find_fault(options, FaultKind::NotFound, page, i) &&
                                !find_fault(options, FaultKind::Drop, page, i) &&
                                !find_fault(options, FaultKind::NoQr, page, i);
            out.push_back(title + "|" + (has_qr ? qr_image_address(host, item.group.id) : ""));
        }
    }
    return out;
}
