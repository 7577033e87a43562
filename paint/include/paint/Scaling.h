#pragma once

#include <cstdint>

namespace miran::paint {

// value * numerator / denominator with a 64-bit intermediate, rounded to nearest with
// halves away from zero. The denominator must not be 0.
std::int64_t MulDivRound(std::int64_t value, std::int64_t numerator, std::int64_t denominator);

// Nearest integer, halves to even (used for colour interpolation and font scaling).
int RoundHalfEven(double value);

} // namespace miran::paint
