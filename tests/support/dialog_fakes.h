// Substitutes for the dialogs' platform seam.
#pragma once
#include <set>
#include <string>

#include "dialogs/help_text.h"

// Serves a help text resource and steps characters like CharNextA in a code
// page whose lead bytes are the test's choosing (none: single-byte).
class FakeHelpResource : public HelpResourceApi {
 public:
  FakeHelpResource();
  ~FakeHelpResource() override;
  std::string bytes;   // the resource, not terminated
  std::string beyond;  // what lies in memory after it
  bool present = true;
  std::set<unsigned char> leadBytes;
  int finds = 0;
  bool Find(const char** data, size_t* size) override;
  const char* Next(const char* p) override;

 private:
  std::string memory_;
  HelpResourceApi* previous_;
};
