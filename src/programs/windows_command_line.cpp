#include "programs/windows_command_line.h"

namespace lightmatrix {

std::string argumentText(const char* commandLine) {
    const char* at = commandLine;
    bool quoted = false;
    while (*at != '\0' && (quoted || (*at != ' ' && *at != '\t'))) {
        if (*at == '"') quoted = !quoted;
        ++at;
    }
    while (*at == ' ' || *at == '\t') ++at;
    return at;
}

}  // namespace lightmatrix
