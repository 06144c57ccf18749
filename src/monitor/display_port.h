// Where the refresh cycle pushes what it computed: the main dialog's texts
// and the level (gauge or tray). The window side implements it; tests record.
#pragma once
#include "common/ztext.h"

class DisplayPort {
 public:
  virtual ~DisplayPort() {}
  virtual void SetControlText(int controlId, const ZChar* text) = 0;
  virtual void UpdateLevel() = 0;
};

// Until the main window installs its port nothing is shown.
DisplayPort* SetDisplayPort(DisplayPort* port);
