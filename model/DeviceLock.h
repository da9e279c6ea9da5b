// The lock between the UI thread and the link worker, with clang's
// thread-safety annotations: a global declared GUARDED_BY(g_DeviceLock) may be
// read or written only where the analysis sees the lock held, and a function
// declared REQUIRES(g_DeviceLock) only by a caller that holds it. The clang
// build of the engine libraries turns the analysis on and makes its findings
// errors; other compilers see plain declarations.
//
// The lock is re-entrant on one thread (a page may call model operations that
// take it themselves), which the analysis does not model: a function that may
// be entered with or without the lock takes it itself and is not REQUIRES.
#pragma once

#include <mutex>

#if defined(__clang__)
#define LUMARA_TSA(x) __attribute__((x))
#else
#define LUMARA_TSA(x)
#endif

#define CAPABILITY(x) LUMARA_TSA(capability(x))
#define SCOPED_CAPABILITY LUMARA_TSA(scoped_lockable)
#define GUARDED_BY(x) LUMARA_TSA(guarded_by(x))
#define PT_GUARDED_BY(x) LUMARA_TSA(pt_guarded_by(x))
#define REQUIRES(...) LUMARA_TSA(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) LUMARA_TSA(acquire_capability(__VA_ARGS__))
#define RELEASE(...) LUMARA_TSA(release_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) LUMARA_TSA(try_acquire_capability(__VA_ARGS__))
#define NO_THREAD_SAFETY_ANALYSIS LUMARA_TSA(no_thread_safety_analysis)

class CAPABILITY("mutex") CDeviceLock {
public:
    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }
    bool try_lock() TRY_ACQUIRE(true) { return mutex_.try_lock(); }

private:
    std::recursive_mutex mutex_;
};

// The one lock between the UI thread and the link worker: send queue,
// parameter image, system records and channel objects.
extern CDeviceLock g_DeviceLock; // the lock itself is shared by design

// Holds the lock for a scope.
class SCOPED_CAPABILITY DeviceLockGuard {
public:
    explicit DeviceLockGuard(CDeviceLock& lock) ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
    ~DeviceLockGuard() RELEASE() { lock_.unlock(); }
    DeviceLockGuard(const DeviceLockGuard&) = delete;
    DeviceLockGuard& operator=(const DeviceLockGuard&) = delete;

private:
    CDeviceLock& lock_;
};
