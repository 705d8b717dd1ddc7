#pragma once

namespace lightmatrix {

class Events {
  public:
    virtual ~Events() = default;
    // Handles every event waiting at this moment, then returns.
    virtual void doEvents() = 0;
};

}  // namespace lightmatrix
