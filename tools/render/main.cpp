// lightmatrix-render: runs the screen saver's own logic on the in-memory
// platform and writes one frame as PNG, optionally listing the lit lights.

#include <cstdio>
#include <string>
#include <vector>

#include "png_file.h"
#include "render.h"
#include "render_request.h"

using namespace lightmatrix;
using namespace lightmatrix::render;

int main(int argc, char** argv) {
    Request request;
    try {
        request = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::fprintf(stderr, "lightmatrix-render: %s\n%s", error.what(), kUsage);
        return 2;
    }
    if (request.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    const Rendering rendering = renderFrame(request);
    int status = 0;
    if (const std::string failed = writePng(rendering.frame, request.output); !failed.empty()) {
        std::fprintf(stderr, "lightmatrix-render: %s: %s\n", request.output.c_str(),
                     failed.c_str());
        status = 1;
    }
    if (request.dump)
        for (const auto& [index, colour] : rendering.lit) std::printf("%d\t%d\n", index, colour);
    if (rendering.endedAt)
        std::fprintf(stderr,
                     "lightmatrix-render: the program ended at %s; later operations were "
                     "not run\n",
                     rendering.endedAt->c_str());
    if (rendering.error) {
        std::fprintf(stderr, "lightmatrix-render: run-time error: %s\n", rendering.error->c_str());
        status = 1;
    }
    return status;
}
