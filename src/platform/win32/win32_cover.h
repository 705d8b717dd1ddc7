#pragma once

#include <windows.h>

#include <functional>

#include "common/colour.h"
#include "platform/loop/handler_failure.h"
#include "platform/loop/loop.h"

namespace lightmatrix {

// A window of one colour over a whole monitor, above every other window, that
// reports every key and mouse button pressed on it (a button off the client
// area): what covers the monitors other than the one the window is on.
class Win32Cover {
  public:
    Win32Cover(HINSTANCE instance, const RECT& monitor, Colour colour, HandlerFailure& failure,
               InputReports& input);
    ~Win32Cover();
    Win32Cover(const Win32Cover&) = delete;
    Win32Cover& operator=(const Win32Cover&) = delete;

    void show();

  private:
    template <class Owner>
    friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
    Colour colour_;
    HandlerFailure& failure_;
    InputReports& input_;
};

}  // namespace lightmatrix
