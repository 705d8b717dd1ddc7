#include "render.h"

#include <cmath>

#include "platform/memory/memory_backend.h"
#include "saver/saver.h"

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
            // As on the page: the picture handed to the panel is its mosaic.
            memory.choosePicture(op.path);
            break;
        case Operation::Kind::ClickPanel: {
            // A click in the middle of the panel's rectangle: the panel's own
            // when it is shown, the window's (which ends the program) when not.
            const PixelRect& area = memory.panel().area();
            memory.click((area.left + area.right) / 2, (area.top + area.bottom) / 2);
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

    // What the operations changed, drawn by a round of the loop after them.
    memory.processPendingEvents();
    result.frame = memory.screen();
    result.lit = memory.window().lights().coloured(memory.window().backColour());
    return result;
}

}  // namespace lightmatrix::render
