#include "paint/Scaling.h"

#include <cmath>

namespace miran::paint {

std::int64_t MulDivRound(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t product = value * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::uint64_t n = product < 0 ? 0 - static_cast<std::uint64_t>(product) : product;
    const std::uint64_t d = denominator < 0 ? 0 - static_cast<std::uint64_t>(denominator) : denominator;
    const std::uint64_t rounded = n / d + (n % d >= d - n % d ? 1 : 0);
    return negative ? -static_cast<std::int64_t>(rounded) : static_cast<std::int64_t>(rounded);
}

int RoundHalfEven(double value) {
    // The default floating-point rounding mode rounds halves to even.
    return static_cast<int>(std::lrint(value));
}

} // namespace miran::paint
