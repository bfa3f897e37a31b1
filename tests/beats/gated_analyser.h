// A stand-in for the beat analysis that ends only when the test opens its gate
// (or when it is cancelled), so tests can look at the time before the beats are
// found without depending on how long an analysis takes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "beats/beats.h"

namespace rova::test {

class GatedAnalyser {
public:
    // Once the gate opens, the sound's real beats.
    beats::Analyser analyser() {
        return [this](beats::Bytes bytes, const beats::CancelFlag& cancel) {
            {
                std::unique_lock lock(m_mutex);
                ++m_started;
                m_changed.notify_all();
                // The flag is polled, as the real analysis's loops do.
                while (!m_open && !cancel) m_changed.wait_for(lock, std::chrono::milliseconds(1));
                if (cancel) {
                    ++m_cancelled;
                    return beats::BeatGrid{};
                }
            }
            return beats::beatsForSound(bytes, cancel);
        };
    }
    void open() {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    // Waits until n analyses have started.
    void waitUntilStarted(int n = 1) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_started >= n; });
    }
    int started() {
        const std::lock_guard lock(m_mutex);
        return m_started;
    }
    // How many analyses gave up on a cancel.
    int cancelled() {
        const std::lock_guard lock(m_mutex);
        return m_cancelled;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_started = 0;
    int m_cancelled = 0;
    bool m_open = false;
};

}  // namespace rova::test
