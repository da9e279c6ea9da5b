// State that one thread owns.
//
// UiThreadOnly<T>: only the UI thread (the program's main thread) touches it,
// so it needs neither the lock nor an atomic. LinkWorkerOnly<T>: a buffer of
// the link worker's own; other threads touch it only while no worker runs.
//
// In debug builds every access checks the calling thread, and one from the
// wrong thread ends the program with a message that names the rule broken.
// Release builds reach the value directly.
#pragma once

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

#if !defined(LUMARA_THREAD_CHECKS)
#if defined(NDEBUG)
#define LUMARA_THREAD_CHECKS 0
#else
#define LUMARA_THREAD_CHECKS 1
#endif
#endif

enum class ThreadRole { Ui, LinkWorker };

namespace thread_role {

// True on the program's main thread, where Qt's event loop runs.
bool OnUiThread();
// The link worker's thread says when it begins and ends; while none runs,
// any thread may touch the worker's buffers.
void EnterLinkWorker();
void LeaveLinkWorker();
bool MayTouchLinkWorkerState();
// Ends the program: state of `role` was touched from another thread.
[[noreturn]] void WrongThread(ThreadRole role);

inline void Check(ThreadRole role) {
    const bool right = role == ThreadRole::Ui ? OnUiThread() : MayTouchLinkWorkerState();
    if (!right) WrongThread(role);
}

} // namespace thread_role

// A global of one thread's own: reads and writes go through the accessors,
// which check the thread in debug builds. It converts to T& so that most uses
// read as they would on a plain T; members are reached through ->.
template <class T, ThreadRole Role> class ThreadOwned {
public:
    constexpr ThreadOwned() = default;
    template <class A0, class... A,
              class = std::enable_if_t<!std::is_same_v<std::decay_t<A0>, ThreadOwned>>>
    constexpr explicit ThreadOwned(A0&& a0, A&&... a)
        : value_{std::forward<A0>(a0), std::forward<A>(a)...} {}
    ThreadOwned(const ThreadOwned&) = delete;
    ThreadOwned& operator=(const ThreadOwned&) = delete;

    // One accessor for reads and writes: a second, const one would make
    // mixed arithmetic ambiguous. Every global of this kind is mutable.
    T& Get() const {
#if LUMARA_THREAD_CHECKS
        thread_role::Check(Role);
#endif
        return value_;
    }
    operator T&() const {
        return Get();
    }
    // Members of an object; of the pointee for a pointer or a smart pointer.
    decltype(auto) operator->() const {
        if constexpr (std::is_pointer_v<T> || HasArrow<T>::value)
            return Get();
        else
            return &Get();
    }
    template <class I> decltype(auto) operator[](I i) const {
        return Get()[i];
    }

    ThreadOwned& operator=(const T& v) { // also takes a braced list
        Get() = v;
        return *this;
    }
    template <class U> ThreadOwned& operator=(U&& u) {
        Get() = std::forward<U>(u);
        return *this;
    }
    template <class U> ThreadOwned& operator+=(const U& u) {
        Get() += u;
        return *this;
    }
    template <class U> ThreadOwned& operator-=(const U& u) {
        Get() -= u;
        return *this;
    }
    template <class U> ThreadOwned& operator|=(const U& u) {
        Get() |= u;
        return *this;
    }
    template <class U> ThreadOwned& operator&=(const U& u) {
        Get() &= u;
        return *this;
    }
    template <class U> ThreadOwned& operator^=(const U& u) {
        Get() ^= u;
        return *this;
    }
    T& operator++() {
        return ++Get();
    }
    T& operator--() {
        return --Get();
    }
    template <class U = T> U operator++(int) {
        return Get()++;
    }
    template <class U = T> U operator--(int) {
        return Get()--;
    }
    // Arrays and containers: std::begin, std::end and range for.
    template <class U = T> auto begin() const -> decltype(std::begin(std::declval<U&>())) {
        return std::begin(Get());
    }
    template <class U = T> auto end() const -> decltype(std::end(std::declval<U&>())) {
        return std::end(Get());
    }

    // Comparisons reach class types whose operators are templates.
    friend bool operator==(const ThreadOwned& a, const ThreadOwned& b) {
        return a.Get() == b.Get();
    }
    friend bool operator!=(const ThreadOwned& a, const ThreadOwned& b) {
        return a.Get() != b.Get();
    }
    template <class U> friend bool operator==(const ThreadOwned& a, const U& b) {
        return a.Get() == b;
    }
    template <class U> friend bool operator!=(const ThreadOwned& a, const U& b) {
        return a.Get() != b;
    }
    template <class U> friend bool operator==(const U& a, const ThreadOwned& b) {
        return a == b.Get();
    }
    template <class U> friend bool operator!=(const U& a, const ThreadOwned& b) {
        return a != b.Get();
    }

private:
    template <class U, class = void> struct HasArrow : std::false_type {};
    template <class U>
    struct HasArrow<U, std::void_t<decltype(std::declval<U&>().operator->())>> : std::true_type {};

    mutable T value_{};
};

template <class T> using UiThreadOnly = ThreadOwned<T, ThreadRole::Ui>;
template <class T> using LinkWorkerOnly = ThreadOwned<T, ThreadRole::LinkWorker>;
