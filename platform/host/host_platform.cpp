#include "platform/host/host_platform.h"

#include <cmath>
#include <ctime>
#include <thread>

namespace merkwandel::platform::host {

void HostUserInterface::UseVirtualClock(double secondsSinceMidnight, double tick) {
  virtualClock_ = true;
  virtualTime_ = secondsSinceMidnight;
  tick_ = tick;
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

bool HostUserInterface::PumpEvents() {
  ++pumps;
  const bool open = window == nullptr || !window->Exists() || window->ProcessPending();
  const bool answer = onPump ? onPump() : true;
  return open && answer;
}

void HostUserInterface::WaitForEvent(double seconds) {
  if (!(seconds > 0.0)) return;
  if (virtualClock_) {
    virtualTime_ = std::fmod(virtualTime_ + seconds, 86400.0);
    return;
  }
  // No events arrive on the host; waiting the whole time is exact.
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double HostUserInterface::SecondsSinceMidnight() {
  if (virtualClock_) {
    const double now = virtualTime_;
    virtualTime_ += tick_;
    if (virtualTime_ >= 86400.0) virtualTime_ -= 86400.0;
    return now;
  }
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  ::localtime_r(&now.tv_sec, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         static_cast<double>(now.tv_nsec) / 1e9;
}

bool HostUserInterface::StartProcess(const std::string& program, const std::string& commandLine) {
  startedProcesses.push_back({program, commandLine});
  if (onProcessStart) onProcessStart(startedProcesses.back());
  return processStartSucceeds;
}

}  // namespace merkwandel::platform::host
