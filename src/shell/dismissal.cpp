#include "shell/saver.h"

namespace lightmatrix {

// Any key or mouse button closes the window, which ends the program.
void Saver::dismiss() {
    window_.close();
}

}  // namespace lightmatrix
