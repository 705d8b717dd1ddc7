#include "render_request.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "common/parse_integer.h"

namespace lightmatrix::render {

const char* const kUsage =
    "usage: lightmatrix-render [--size WxH] [--dpi N] [--start SECONDS] [--seconds N]\n"
    "                          [OPERATIONS...] [--dump] OUT.png\n"
    "\n"
    "Runs the screen saver on an in-memory window and writes one frame as PNG.\n"
    "\n"
    "  --size WxH          the window's client size in pixels (default 800x600)\n"
    "  --dpi N             logical pixels per inch (default 96)\n"
    "  --start SECONDS     the clock's reading at start, in seconds since midnight (default 0)\n"
    "  --seconds N         simulated seconds of animation before the operations (default 0)\n"
    "  --dump              print INDEX<TAB>COLOUR for every light not in the background colour\n"
    "\n"
    "Operations, carried out in order after the animation:\n"
    "  --highlight R,C,COLOR       highlight(R, C, COLOR)\n"
    "  --hline ROW,COL,LEN,COLOR   drawHorLine(ROW, COL, LEN, COLOR)\n"
    "  --vline ROW,COL,LEN,COLOR   drawVerLine(ROW, COL, LEN, COLOR)\n"
    "  --clear                     clear()\n"
    "  --picture PATH              drawPicture(the picture panel, PATH)\n"
    "  --click-panel               a mouse click on the middle of the picture panel\n"
    "\n"
    "COLOR is a decimal colour value (0x00BBGGRR) or #RRGGBB.\n"
    "Exit status: 0 done, 1 a run-time error stopped the operations (the frame and\n"
    "the dump are still written), 2 a malformed argument.\n";

namespace {

[[noreturn]] void malformed(const std::string& what) {
    throw UsageError(what);
}

long long parseWhole(const std::string& text, long long low, long long high,
                     const std::string& what) {
    long long value = 0;
    if (parseInteger(text, value) != Parsed::Number || value < low || value > high)
        malformed(what + ": '" + text + "' is not a whole number from " + std::to_string(low) +
                  " to " + std::to_string(high));
    return value;
}

double parseNumber(const std::string& text, double low, double high, const std::string& what) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty() || !std::isfinite(value) ||
        value < low || value > high)
        malformed(what + ": '" + text + "' is not a number from " + std::to_string(low) + " to " +
                  std::to_string(high));
    return value;
}

Int16 parseInt16(const std::string& text, const std::string& what) {
    return static_cast<Int16>(parseWhole(text, std::numeric_limits<Int16>::min(),
                                         std::numeric_limits<Int16>::max(), what));
}

Colour parseColour(const std::string& text, const std::string& what) {
    if (!text.empty() && text[0] == '#') {
        unsigned value = 0;
        if (text.size() != 7 ||
            parseInteger(std::string_view(text).substr(1), value, 16) != Parsed::Number)
            malformed(what + ": '" + text + "' is not a colour #RRGGBB");
        return rgb(static_cast<int>(value >> 16), static_cast<int>((value >> 8) & 0xFF),
                   static_cast<int>(value & 0xFF));
    }
    return static_cast<Colour>(parseWhole(text, 0, kWhite, what + " colour"));
}

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma - from));
        if (comma == std::string::npos) return parts;
        from = comma + 1;
    }
}

}  // namespace

Request parseArguments(const std::vector<std::string>& arguments) {
    Request request;
    bool haveOutput = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) malformed(option + " needs a value");
            return arguments[++i];
        };

        if (option == "--help" || option == "-h") {
            request.help = true;
        } else if (option == "--size") {
            const std::string& size = value();
            const std::size_t x = size.find('x');
            if (x == std::string::npos) malformed("--size: '" + size + "' is not WxH");
            request.width = static_cast<Int32>(parseWhole(size.substr(0, x), 1, 16384, "--size"));
            request.height = static_cast<Int32>(parseWhole(size.substr(x + 1), 1, 16384, "--size"));
        } else if (option == "--dpi") {
            request.dpi = parseNumber(value(), 1, 2400, "--dpi");
        } else if (option == "--start") {
            request.startSeconds = parseNumber(value(), 0, 86399.999, "--start");
        } else if (option == "--seconds") {
            request.seconds = parseNumber(value(), 0, 7 * 86400, "--seconds");
        } else if (option == "--dump") {
            request.dump = true;
        } else if (option == "--clear") {
            request.operations.emplace_back(Operation::Kind::Clear, option);
        } else if (option == "--click-panel") {
            request.operations.emplace_back(Operation::Kind::ClickPanel, option);
        } else if (option == "--picture") {
            Operation op{Operation::Kind::Picture, option};
            op.path = value();
            op.text += " " + op.path;
            request.operations.push_back(op);
        } else if (option == "--highlight" || option == "--hline" || option == "--vline") {
            const bool line = option != "--highlight";
            const std::string& text = value();
            const std::vector<std::string> parts = splitCommas(text);
            if (parts.size() != (line ? 4u : 3u))
                malformed(option + ": '" + text + "' is not " +
                          (line ? "ROW,COL,LEN,COLOR" : "R,C,COLOR"));
            Operation op{
                line ? (option == "--hline" ? Operation::Kind::HorLine : Operation::Kind::VerLine)
                     : Operation::Kind::Highlight,
                option + " " + text};
            op.row = parseInt16(parts[0], option + " row");
            op.col = parseInt16(parts[1], option + " column");
            if (line) op.length = parseInt16(parts[2], option + " length");
            op.colour = parseColour(parts.back(), option);
            request.operations.push_back(op);
        } else if (option.size() > 1 && option[0] == '-') {
            malformed("unknown option " + option);
        } else {
            if (haveOutput)
                malformed("more than one output file: " + request.output + ", " + option);
            request.output = option;
            haveOutput = true;
        }
    }
    if (!haveOutput && !request.help) malformed("no output file OUT.png");
    return request;
}

}  // namespace lightmatrix::render
