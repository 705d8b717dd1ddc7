#pragma once

namespace lightmatrix {

class InstanceCheck {
  public:
    virtual ~InstanceCheck() = default;
    // Whether another instance of this program (full screen or preview) runs.
    // A "no" also claims the instance for this process until it ends.
    virtual bool anotherInstanceRunning() = 0;
};

}  // namespace lightmatrix
