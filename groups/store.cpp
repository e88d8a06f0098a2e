// File: groups/store.cpp
// The process-wide group list store behind a mutex.
#include "groups/store.h"

void GroupStore::set(std::string_view text) {
    std::lock_guard lock(m_mutex);
    m_text.assign(text);
}

Text GroupStore::read() const {
    std::lock_guard lock(m_mutex);
    return m_text;
}

void GroupStore::append(std::initializer_list<std::string_view> texts) {
    std::lock_guard lock(m_mutex);
    for (std::string_view t : texts) {
        m_text.append(t);
    }
}

bool GroupStore::empty() const {
    std::lock_guard lock(m_mutex);
    return m_text.empty();
}

GroupStore& group_store() {
    static GroupStore store;
    return store;
}
