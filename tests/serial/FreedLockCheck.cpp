// In the AddressSanitizer build, every mutex locked in this test program is read first, so that a
// lock taken inside freed memory is reported as a use after free. The sanitizer does not look at what
// the C library's lock touches: without this, a thread locking a mutex of a destroyed object goes
// unnoticed as long as the bytes still look like a mutex.
//
// Calls from code linked into the program (the port component among it) come here; the real lock is
// the next one along, the sanitizer's own or the C library's.

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TALOMA_CHECK_LOCKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TALOMA_CHECK_LOCKS 1
#endif

#ifdef TALOMA_CHECK_LOCKS

#include <atomic>
#include <cstring>
#include <dlfcn.h>
#include <pthread.h>

namespace {

using LockFunction = int (*)(pthread_mutex_t*);
std::atomic<LockFunction> realLock{nullptr};

} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    // A read the sanitizer checks, as the C library's lock is about to write there.
    const volatile unsigned char* const bytes = reinterpret_cast<const volatile unsigned char*>(mutex);
    [[maybe_unused]] const unsigned char first = bytes[0];
    [[maybe_unused]] const unsigned char last = bytes[sizeof(pthread_mutex_t) - 1];

    LockFunction lock = realLock.load(std::memory_order_acquire);
    if (!lock) {
        void* const symbol = ::dlsym(RTLD_NEXT, "pthread_mutex_lock");
        std::memcpy(&lock, &symbol, sizeof lock);
        realLock.store(lock, std::memory_order_release);
    }
    return lock(mutex);
}

#endif
