#include "serve/signal_watcher.h"

#include <pthread.h>

namespace murlo::tool {

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
  sigemptyset(&signals_);
  sigaddset(&signals_, SIGINT);
  sigaddset(&signals_, SIGTERM);
  sigaddset(&signals_, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
  thread_ = std::thread([this] { watch(); });
}

SignalWatcher::~SignalWatcher() {
  done_ = true;
  // Wakes sigwait with a signal meant for the watching thread alone.
  pthread_kill(thread_.native_handle(), SIGHUP);
  thread_.join();
}

void SignalWatcher::watch() {
  for (;;) {
    int signal = 0;
    if (sigwait(&signals_, &signal) != 0) continue;
    if (done_) return;
    try {
      onSignal_(signal);
    } catch (...) {
      // What a signal asks for failed (memory ran out); keep watching.
    }
  }
}

}  // namespace murlo::tool
