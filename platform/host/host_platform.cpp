#include "platform/host/host_platform.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <thread>

namespace merkwandel::platform::host {

namespace {
constexpr std::int64_t kMicrosecondsPerDay = std::int64_t{86400} * 1000000;
}  // namespace

void HostUserInterface::UseVirtualClock(double secondsSinceMidnight) {
  virtualClock_ = true;
  virtualMicroseconds_ = std::llround(secondsSinceMidnight * 1e6) % kMicrosecondsPerDay;
}

void HostUserInterface::ShowMessage(const std::string& text, const std::string& title,
                                    MessageIcon icon) {
  messages.push_back({text, title, icon});
  if (onMessage) onMessage(messages.back());
}

void HostUserInterface::SetMousePointer(MousePointer newPointer) {
  pointer = newPointer;
  pointerChanges.push_back(newPointer);
}

void HostUserInterface::ShowProgress(const std::string& caption, std::optional<int> percent) {
  progress.push_back({caption, percent});
  if (onProgress) onProgress(progress.back());
}

bool HostUserInterface::PumpEvents() {
  ++pumps;
  const bool open = window == nullptr || !window->Exists() || window->ProcessPending();
  const bool answer = onPump ? onPump() : true;
  return open && answer;
}

void HostUserInterface::WaitForEvent(double seconds) {
  if (virtualClock_) {
    // A clock that a short wait left where it was would let a caller that
    // waits for it spin for ever.
    const double micro = std::ceil(std::min(seconds, 86400.0) * 1e6);
    const std::int64_t step = micro >= 1.0 ? static_cast<std::int64_t>(micro) : 1;
    virtualMicroseconds_ = (virtualMicroseconds_ + step) % kMicrosecondsPerDay;
    return;
  }
  if (!(seconds > 0.0)) return;
  // No events arrive on the host; waiting the whole time is exact.
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double HostUserInterface::SecondsSinceMidnight() {
  if (virtualClock_) return VirtualTime();
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  ::localtime_r(&now.tv_sec, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         static_cast<double>(now.tv_nsec) / 1e9;
}

bool HostUserInterface::RandomBytes(void* bytes, std::size_t count) {
  for (std::size_t done = 0; done < count;) {
    const ssize_t got = ::getrandom(static_cast<char*>(bytes) + done, count - done, 0);
    if (got < 0 && errno != EINTR) return false;
    if (got > 0) done += static_cast<std::size_t>(got);
  }
  return true;
}

bool HostUserInterface::StartProcess(const std::string& program, const std::string& commandLine) {
  startedProcesses.push_back({program, commandLine});
  if (onProcessStart) onProcessStart(startedProcesses.back());
  return processStartSucceeds;
}

}  // namespace merkwandel::platform::host
