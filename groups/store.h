// File: groups/store.h
// The group list store: the one copy of the list in memory, a GBK text of GroupEntry lines.
// Every operation is carried out whole, so the UI thread and the harvest worker may share it.
#pragma once

#include <mutex>
#include <string_view>

#include "text/text.h"

class GroupStore {
public:
    // Replaces the whole content.
    void set(std::string_view text);
    // A copy of the whole content.
    [[nodiscard]] Text read() const;
    // Appends the texts in one operation: no reader sees part of them.
    void append(std::initializer_list<std::string_view> texts);
    // True when the store holds nothing.
    [[nodiscard]] bool empty() const;

private:
    mutable std::mutex m_mutex;
    Text m_text;
};

// The process-wide store.
GroupStore& group_store();
