#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win32_calls.h"

namespace lightmatrix {

class MemoryWindow;

// The user32 calls of preview embedding, carried out on the memory window and
// on panes that a test creates. Every call is recorded with its arguments.
class MemoryUser32 : public User32 {
  public:
    explicit MemoryUser32(MemoryWindow& window) : window_(window) {}

    Int32 GetClientRect(Int32 hwnd, Rect& rect) override;
    Int32 GetWindowLongA(Int32 hwnd, Int32 index) override;
    Int32 SetWindowLongA(Int32 hwnd, Int32 index, Int32 value) override;
    Int32 SetParent(Int32 hwnd, Int32 newParent) override;
    Int32 SetWindowPos(Int32 hwnd, Int32 insertAfter, Int32 x, Int32 y, Int32 cx, Int32 cy,
                       Int32 flags) override;

    struct Call {
        std::string name;
        std::vector<Int32> args;
        bool operator==(const Call&) const = default;
    };
    const std::vector<Call>& calls() const { return calls_; }

    Int32 createPane(Int32 width, Int32 height);
    // Returns whether the program's window went with it.
    bool destroyPane(Int32 pane);

  private:
    struct Pane {
        Int32 width;
        Int32 height;
    };
    bool isWindow(Int32 hwnd) const;

    MemoryWindow& window_;
    std::map<Int32, Pane> panes_;
    Int32 nextPane_ = 0x0002'0010;
    std::vector<Call> calls_;
};

}  // namespace lightmatrix
