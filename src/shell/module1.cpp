#include "shell/module1.h"

#include <string>

#include "platform/win32_constants.h"
#include "shell/frm_main.h"

namespace lightmatrix {

namespace {

// Built by appending: GCC 12 at -O2 takes "literal" + std::string here for an
// overlapping copy (-Wrestrict, GCC bug 105329) and fails the release build.
[[noreturn]] void notANumber(std::string_view number) {
    std::string detail(1, '"');
    detail.append(number).append("\" is not a number");
    raise(ErrorKind::TypeMismatch, detail);
}

Int32 parseInt32(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    if (first == std::string_view::npos)
        raise(ErrorKind::TypeMismatch, "no number in \"" + std::string(text) + '"');
    const std::string_view number = text.substr(first, last - first + 1);

    std::size_t pos = 0;
    const bool negative = number[0] == '-';
    if (number[0] == '+' || number[0] == '-') ++pos;
    if (pos == number.size()) notANumber(number);
    for (std::size_t i = pos; i < number.size(); ++i)
        if (number[i] < '0' || number[i] > '9') notANumber(number);

    // Accumulate towards the sign so that -2147483648 still fits.
    Int32 value = 0;
    for (std::size_t i = pos; i < number.size(); ++i) {
        const Int32 digit = number[i] - '0';
        value = checkedMul<Int32>(value, 10);
        value = negative ? checkedSub<Int32>(value, digit) : checkedAdd<Int32>(value, digit);
    }
    return value;
}

}  // namespace

Int32 paneHandleFromCommandLine(std::string_view commandLine) {
    const auto n = static_cast<long long>(commandLine.size()) - 3;
    if (n < 0)
        raise(ErrorKind::InvalidArgument,
              "no preview pane handle in \"" + std::string(commandLine) + '"');
    return parseInt32(commandLine.substr(3));
}

void attachToPreview(frmMain& frm) {
    Platform& platform = frm.platform();
    const Int32 pane = paneHandleFromCommandLine(platform.program.commandLine());
    const Int32 window = platform.window.handle();
    User32& user32 = platform.user32;

    Rect paneRect{};
    // A handle that names no window would leave the saver running unseen with a
    // size of 0 x 0; a failed GetClientRect is the sign of it.
    if (user32.GetClientRect(pane, paneRect) == 0)
        raise(ErrorKind::InvalidArgument, "no preview pane with handle " + std::to_string(pane));
    const Int32 style = user32.GetWindowLongA(window, GWL_STYLE);
    user32.SetWindowLongA(window, GWL_STYLE, style | WS_CHILD);
    user32.SetParent(window, pane);
    user32.SetWindowLongA(window, GWL_HWNDPARENT, pane);
    user32.SetWindowPos(window, HWND_TOP, 0, 0, paneRect.right, paneRect.bottom,
                        SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

}  // namespace lightmatrix
