#pragma once
// How many arguments a built-in function of fixed argument count takes (its token stores
// only the function's number), and which functions are volatile.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace xls::formula {

std::optional<std::size_t> fixed_argument_count(std::uint16_t number);
// True for the functions whose result may change with nothing they name changing (NOW,
// RAND) or that read cells they compute the place of (OFFSET, INDIRECT).
bool volatile_function(std::uint16_t number);

}  // namespace xls::formula
