#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

// Items on their way from one thread to another: a few at most, so that the giving thread
// never runs far ahead of the taking one.
template <typename T, std::size_t Capacity = 4> class HandOver {
public:
    // Waits for room; false once the taker has stopped taking.
    bool push(T item)
    {
        std::unique_lock lock(m_lock);
        m_room.wait(lock, [this] { return m_items.size() < Capacity || m_stopped; });
        if (m_stopped)
            return false;
        m_items.push_back(std::move(item));
        m_ready.notify_one();
        return true;
    }
    // Waits for the next item.
    T pop()
    {
        std::unique_lock lock(m_lock);
        m_ready.wait(lock, [this] { return !m_items.empty(); });
        T item = std::move(m_items.front());
        m_items.pop_front();
        m_room.notify_one();
        return item;
    }
    // The taker takes no more: a giver waiting for room, and every later push, gets false.
    void stop()
    {
        const std::lock_guard lock(m_lock);
        m_stopped = true;
        m_room.notify_all();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_room, m_ready;
    std::deque<T> m_items;
    bool m_stopped = false;
};
