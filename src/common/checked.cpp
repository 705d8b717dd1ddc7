#include "common/checked.h"

namespace lightmatrix::detail {

void overflow(long long a, char op, long long b) {
    raise(ErrorKind::Overflow, std::to_string(a) + ' ' + op + ' ' + std::to_string(b));
}

void conversionOverflow(double value) {
    raise(ErrorKind::Overflow, "cannot convert " + std::to_string(value));
}

void floatingPointFault(double a, double b) {
    raise(ErrorKind::FloatingPoint, std::to_string(a) + " * " + std::to_string(b));
}

}  // namespace lightmatrix::detail
