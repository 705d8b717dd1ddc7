#include "saver/preview.h"

#include <string>

#include "common/parse_integer.h"

namespace lightmatrix {

bool isPreviewCommandLine(std::string_view commandLine) {
    return commandLine.substr(0, 2) == "/p";
}

Int32 paneHandleFromCommandLine(std::string_view commandLine) {
    if (commandLine.size() < 3)
        raise(ErrorKind::InvalidArgument,
              "no preview pane handle in \"" + std::string(commandLine) + '"');
    // Whatever the third character is, blanks around the number, and a sign.
    std::string_view text = commandLine.substr(3);
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        raise(ErrorKind::TypeMismatch, "no number in \"" + std::string(text) + '"');
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    // from_chars reads a '-' but not a '+'.
    const bool plus = text[0] == '+';
    const std::string_view number = plus ? text.substr(1) : text;
    Int32 pane = 0;
    const Parsed parsed =
        plus && number.starts_with('-') ? Parsed::NotANumber : parseInteger(number, pane);
    if (parsed == Parsed::Number) return pane;
    if (parsed == Parsed::OutOfRange)
        raise(ErrorKind::Overflow, std::string(text) + " does not fit in 32 bits");
    // Built by appending: GCC 12 at -O2 takes "literal" + std::string here for an
    // overlapping copy (-Wrestrict, GCC bug 105329) and fails the release build.
    std::string detail(1, '"');
    detail.append(text).append("\" is not a number");
    raise(ErrorKind::TypeMismatch, detail);
}

void attachToPreview(Window& window, std::string_view commandLine) {
    const Int32 pane = paneHandleFromCommandLine(commandLine);
    // A handle that names no window would leave the saver running unseen.
    if (!window.embedIn(pane))
        raise(ErrorKind::InvalidArgument, "no preview pane with handle " + std::to_string(pane));
}

}  // namespace lightmatrix
