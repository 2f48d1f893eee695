#pragma once

#include <functional>

// The hand-over queue between worker threads and the user-interface thread.
//
// A worker calls Synchronize(fn): the call is queued, the UI thread is woken, and the worker blocks
// until fn has run there. The UI thread runs queued calls from its event loop, inside
// ProcessMessages() and while it waits for a worker to end (waitServing). An exception from fn goes to
// the general error display and the worker goes on.
namespace HandOver {

// Runs fn on the UI thread and returns when it has run. Called on the UI thread (or with no
// application object) it runs fn at once.
void Synchronize(const std::function<void()>& fn);

// UI thread: runs every queued call. Returns the number of calls run.
int runPending();

// UI thread: waits until done() is true or timeoutMs has passed (negative: no limit), running queued
// calls meanwhile but no other event. Returns done().
bool waitServing(const std::function<bool()>& done, int timeoutMs);

// Wakes the threads blocked in waitServing so that they test their condition again.
void wakeWaiters();

// Number of calls waiting (for tests and diagnostics).
int pendingCount();

} // namespace HandOver

// Processes pending window events and hand-overs once.
void ProcessMessages();

// Waits ms milliseconds on a monotonic clock while processing events and hand-overs.
void Delay(int ms);
