#include "render.h"

#include <cmath>
#include <memory>

#include "platform/memory/memory_platform.h"
#include "shell/frm_main.h"
#include "shell/frm_main_internals.h"
#include "shell/program_start.h"

namespace lightmatrix {

namespace render {

namespace {

void carryOut(const Operation& op, frmMain& form, MemoryPlatform& memory) {
    switch (op.kind) {
        case Operation::Kind::Highlight:
            form.highlight(op.row, op.col, op.colour);
            break;
        case Operation::Kind::HorLine:
            form.drawHorLine(op.row, op.col, op.length, op.colour);
            break;
        case Operation::Kind::VerLine:
            form.drawVerLine(op.row, op.col, op.length, op.colour);
            break;
        case Operation::Kind::Clear:
            form.clear();
            break;
        case Operation::Kind::Picture:
            frmMainInternals::drawPicture(form, form.Picture1, op.path);
            break;
        case Operation::Kind::ClickPanel: {
            // A press in the middle of the panel's rectangle: the panel's own
            // when it is shown, the window's (which ends the program) when not.
            const PixelRect& area = memory.panel().area();
            memory.pressMouse(1, (area.left + area.right) / 2, (area.top + area.bottom) / 2);
            break;
        }
    }
}

}  // namespace

Rendering renderFrame(const Request& request) {
    MemoryPlatform memory(MemoryOptions{.screenWidth = request.width,
                                        .screenHeight = request.height,
                                        .dpi = request.dpi,
                                        .startSeconds = request.startSeconds});
    Rendering result;
    std::unique_ptr<frmMain> form;
    std::string doing = "start";
    try {
        form = startProgram(memory.platform());
        doing = "--seconds";
        memory.advance(std::llround(request.seconds * 1000));
        for (const Operation& op : request.operations) {
            if (memory.ended()) {
                result.endedAt = doing;
                break;
            }
            doing = op.text;
            carryOut(op, *form, memory);
        }
    } catch (const RuntimeError& error) {
        result.error = doing + ": " + error.what();
    }

    result.frame = memory.frame();
    const Lights& lights = memory.platform().lights;
    const Colour background = memory.window().backColor();
    for (Int32 k = 0; k <= INT16_MAX && lights.exists(static_cast<Int16>(k)); ++k) {
        const Colour fill = lights.fillColor(static_cast<Int16>(k));
        if (fill != background) result.lit.emplace_back(static_cast<Int16>(k), fill);
    }
    return result;
}

}  // namespace render
}  // namespace lightmatrix
