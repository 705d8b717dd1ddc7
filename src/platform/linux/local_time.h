#pragma once

namespace lightmatrix {

// The machine's wall clock in local time: seconds since midnight, with their
// fraction.
double localTimeOfDay();

}  // namespace lightmatrix
