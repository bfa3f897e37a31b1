// A value published to whoever listens: the publisher keeps the last value and
// calls each subscriber with every new one. A subscriber holds a Subscription,
// which disconnects when it goes; either side may go first. Toolkit-free.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace rova {

template <class T>
class Notifier {
    struct Listeners {
        std::map<int, std::function<void(const T&)>> byId;
        int next = 0;
    };

public:
    using Listener = std::function<void(const T&)>;

    class Subscription {
    public:
        Subscription() = default;
        Subscription(std::weak_ptr<Listeners> listeners, int id) : m_listeners(std::move(listeners)), m_id(id) {}
        Subscription(Subscription&& other) noexcept { *this = std::move(other); }
        Subscription& operator=(Subscription&& other) noexcept {
            if (this != &other) {
                reset();
                m_listeners = std::move(other.m_listeners);
                m_id = other.m_id;
                other.m_listeners.reset();
            }
            return *this;
        }
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { reset(); }

        // Whether the publisher is still there and this still listens.
        bool active() const { return !m_listeners.expired(); }

        void reset() {
            if (const auto listeners = m_listeners.lock()) listeners->byId.erase(m_id);
            m_listeners.reset();
        }

    private:
        std::weak_ptr<Listeners> m_listeners;
        int m_id = 0;
    };

    // The listener is called with each value published from now on.
    [[nodiscard]] Subscription subscribe(Listener listener) {
        const int id = m_listeners->next++;
        m_listeners->byId.emplace(id, std::move(listener));
        return Subscription(m_listeners, id);
    }

    // Keeps the value and tells the listeners, unless it equals the last one.
    void publish(const T& value) {
        if (m_hasValue && value == m_last) return;
        m_last = value;
        m_hasValue = true;
        // A listener may subscribe or unsubscribe while being told: copy first.
        const auto listeners = m_listeners->byId;
        for (const auto& [id, listener] : listeners) listener(m_last);
    }

    const T& last() const { return m_last; }

private:
    std::shared_ptr<Listeners> m_listeners = std::make_shared<Listeners>();
    T m_last{};
    bool m_hasValue = false;
};

}  // namespace rova
