#include "render.h"

#include <cmath>

#include "platform/memory/memory_backend.h"
#include "shell/saver.h"
#include "shell/saver_internals.h"

namespace lightmatrix::render {

namespace {

void carryOut(const Operation& op, Saver& saver, MemoryBackend& memory) {
    switch (op.kind) {
        case Operation::Kind::Highlight:
            saver.highlight(op.row, op.col, op.colour);
            break;
        case Operation::Kind::HorLine:
            saver.drawHorLine(op.row, op.col, op.length, op.colour);
            break;
        case Operation::Kind::VerLine:
            saver.drawVerLine(op.row, op.col, op.length, op.colour);
            break;
        case Operation::Kind::Clear:
            saver.clear();
            break;
        case Operation::Kind::Picture:
            SaverInternals::drawPicture(saver, op.path);
            break;
        case Operation::Kind::ClickPanel: {
            // A press in the middle of the panel's rectangle: the panel's own
            // when it is shown, the window's (which ends the program) when not.
            const PixelRect& area = memory.panel().area();
            memory.pressMouse((area.left + area.right) / 2, (area.top + area.bottom) / 2);
            break;
        }
    }
}

}  // namespace

Rendering renderFrame(const Request& request) {
    MemoryBackend memory(MemoryOptions{.screenWidth = request.width,
                                       .screenHeight = request.height,
                                       .dpi = request.dpi,
                                       .startSeconds = request.startSeconds});
    Saver saver(memory.window(), memory.panel(), memory, memory.clock(), memory.generator());
    Rendering result;
    std::string doing = "start";
    try {
        saver.load("", memory);
        doing = "--seconds";
        memory.advance(std::llround(request.seconds * 1000));
        for (const Operation& op : request.operations) {
            if (memory.ended()) {
                result.endedAt = doing;
                break;
            }
            doing = op.text;
            carryOut(op, saver, memory);
        }
    } catch (const RuntimeError& error) {
        result.error = doing + ": " + error.what();
    }

    result.frame = memory.screen();
    const Lights& lights = memory.window().lights();
    const Colour background = memory.window().backColour();
    for (Int32 k = 0; k < lights.indexLimit() && lights.exists(static_cast<Int16>(k)); ++k) {
        const Colour colour = lights.colour(static_cast<Int16>(k));
        if (colour != background) result.lit.emplace_back(static_cast<Int16>(k), colour);
    }
    return result;
}

}  // namespace lightmatrix::render
