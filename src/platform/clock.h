#pragma once

namespace lightmatrix {

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since local midnight, with their fraction.
    virtual float secondsSinceMidnight() = 0;
};

}  // namespace lightmatrix
