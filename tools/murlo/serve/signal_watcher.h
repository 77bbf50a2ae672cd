// SIGINT, SIGTERM and SIGHUP for a long-running command (murlo serve),
// taken by a thread of its own that waits for them with sigwait: no signal
// handler runs, so nothing has to be async-signal-safe but sigwait itself.
#ifndef MURLO_TOOLS_MURLO_SERVE_SIGNAL_WATCHER_H_
#define MURLO_TOOLS_MURLO_SERVE_SIGNAL_WATCHER_H_

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

namespace murlo::tool {

class SignalWatcher {
 public:
  // Blocks the three signals in the calling thread, and so in every thread
  // started from it afterwards (make the watcher before any other thread),
  // and calls `onSignal` on the watcher's thread for each one that arrives.
  explicit SignalWatcher(std::function<void(int signal)> onSignal);
  // Ends the watching thread. The signals stay blocked: one arriving now
  // stays pending until the process ends.
  ~SignalWatcher();

  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

 private:
  void watch();

  sigset_t signals_;
  std::function<void(int)> onSignal_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_SIGNAL_WATCHER_H_
