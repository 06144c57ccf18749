// One slot per platform seam: the implementation in use, defaulting to the
// platform's own, replaceable by tests.
#pragma once

template <class Api>
class SeamSlot {
 public:
  constexpr explicit SeamSlot(Api* (*platform)()) : platform_(platform) {}
  Api& Get() {
    if (!current_) current_ = platform_();
    return *current_;
  }
  Api* Set(Api* api) {
    Api* old = current_;
    current_ = api;
    return old;
  }

 private:
  Api* (*platform_)();
  Api* current_ = nullptr;
};
