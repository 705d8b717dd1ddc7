#pragma once

#include <windows.h>

#include "platform/instance_check.h"

namespace lightmatrix {

// One screen saver per session: a named mutex in the session's namespace,
// created by the first instance and held open until it ends. A preview is an
// instance like any other.
class MutexInstanceCheck : public InstanceCheck {
  public:
    MutexInstanceCheck() = default;
    ~MutexInstanceCheck() override;
    MutexInstanceCheck(const MutexInstanceCheck&) = delete;
    MutexInstanceCheck& operator=(const MutexInstanceCheck&) = delete;

    bool anotherInstanceRunning() override;

    static constexpr const wchar_t* kName = L"Local\\lightmatrix.screen-saver.instance";

  private:
    HANDLE mutex_ = nullptr;
};

}  // namespace lightmatrix
