#include "platform/posix/termination_signals.h"

#include <signal.h>

namespace ml {

namespace {

// The one piece of state a signal handler may touch.
volatile sig_atomic_t noted = 0;

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int signo) {
  if (noted != 0) {
    // Asked twice: the first request is evidently stuck, so do what the default would.
    ::signal(signo, SIG_DFL);
    ::raise(signo);
    return;
  }
  noted = signo;
}

}  // namespace

void installTerminationHandlers() {
  struct sigaction sa {};
  sa.sa_handler = &onTerminationSignal;
  sigemptyset(&sa.sa_mask);
  for (int s : kSignals) sigaddset(&sa.sa_mask, s);
  // Interrupted system calls resume; the run ends at the next message processing.
  sa.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &sa, nullptr);
}

int terminationSignal() { return noted; }

void resetTermination() { noted = 0; }

void finishTermination() {
  const int signo = noted;
  if (signo == 0) return;
  ::signal(signo, SIG_DFL);
  ::raise(signo);
}

}  // namespace ml
