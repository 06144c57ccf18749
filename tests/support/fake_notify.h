// Records every notify call with a copy of the record it was given.
#pragma once
#include <vector>

#include "tray/notify_api.h"

class FakeNotify : public NotifyApi {
 public:
  FakeNotify();
  ~FakeNotify() override;
  struct Call {
    uint32_t message;
    NotifyIconRecord record;
  };
  std::vector<Call> calls;
  bool NotifyIcon(uint32_t message, const NotifyIconRecord& record) override;

 private:
  NotifyApi* previous_;
};
