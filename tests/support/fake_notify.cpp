#include "support/fake_notify.h"

FakeNotify::FakeNotify() : previous_(SetNotifyApi(this)) {}
FakeNotify::~FakeNotify() { SetNotifyApi(previous_); }

bool FakeNotify::NotifyIcon(uint32_t message, const NotifyIconRecord& record) {
  calls.push_back({message, record});
  return true;
}
