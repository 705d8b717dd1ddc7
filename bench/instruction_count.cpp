// Instructions per operation, counted by callgrind, which a busy machine does
// not disturb as it does timings. Only the operations themselves are counted:
//
//   valgrind --tool=callgrind --collect-atstart=no lightmatrix_instructions tick 100000
//
// then the "totals:" line of the callgrind output divided by the count.
// Operations: tick (a wake running one lighting tick, with its cell's repaint), clear (clear()
// on a fully lit matrix, with every cell's repaint), start (start-up with the
// first full frame), second (a simulated second on a 60 Hz display: 60 wakes,
// 100 lighting ticks, a repaint a wake).

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/memory/memory_backend.h"
#include "saver/saver.h"

namespace lightmatrix {
namespace {

int count(const std::string& operation, int n) {
    if (operation == "start") {
        for (int i = 0; i < n; ++i) {
            MemoryBackend memory;
            CALLGRIND_TOGGLE_COLLECT;
            Saver saver(memory.window(), memory.panel(), memory, memory.clock(),
                        memory.generator());
            saver.load("", memory);
            memory.window().repaint();
            CALLGRIND_TOGGLE_COLLECT;
        }
        return 0;
    }

    if (operation == "second") {
        MemoryBackend memory(MemoryOptions{.refreshRate = 60});
        Saver saver(memory.window(), memory.panel(), memory, memory.clock(), memory.generator());
        saver.load("", memory);
        memory.advance(1000);  // the first wakes, as in every later second
        CALLGRIND_TOGGLE_COLLECT;
        for (int i = 0; i < n; ++i) memory.advance(1000);
        CALLGRIND_TOGGLE_COLLECT;
        return 0;
    }

    MemoryBackend memory;
    Saver saver(memory.window(), memory.panel(), memory, memory.clock(), memory.generator());
    saver.load("", memory);
    if (operation == "tick") {
        CALLGRIND_TOGGLE_COLLECT;
        for (int i = 0; i < n; ++i) memory.advance(10);
        CALLGRIND_TOGGLE_COLLECT;
        return 0;
    }
    if (operation == "clear") {
        for (int i = 0; i < n; ++i) {
            saver.drawHorLine(0, 1, 10799, i + 1);
            memory.window().repaint();
            CALLGRIND_TOGGLE_COLLECT;
            saver.clear();
            memory.window().repaint();
            CALLGRIND_TOGGLE_COLLECT;
        }
        return 0;
    }
    std::fprintf(stderr, "usage: lightmatrix_instructions tick|clear|start|second COUNT\n");
    return 2;
}

}  // namespace
}  // namespace lightmatrix

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: lightmatrix_instructions tick|clear|start|second COUNT\n");
        return 2;
    }
    return lightmatrix::count(argv[1], std::atoi(argv[2]));
}
