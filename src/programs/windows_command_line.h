#pragma once

#include <string>

namespace lightmatrix {

// The argument text of a Windows command line: what follows the program's own
// name, quoted or not, and the blanks after it. Later blanks are kept.
std::string argumentText(const char* commandLine);

}  // namespace lightmatrix
