#pragma once

#include "platform/clock.h"

namespace lightmatrix {

// The machine's wall clock in local time.
class SystemClock : public Clock {
  public:
    float secondsSinceMidnight() override;
};

}  // namespace lightmatrix
