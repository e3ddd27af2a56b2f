// The aggregates: sums, counts, averages, extremes, spreads, ranks, regressions and the
// conditional sum and count. References and arrays give only their numbers; arguments typed
// into the call also count as booleans and as texts that read as numbers.

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "xls/formula/criteria.h"
#include "xls/formula/function_support.h"

namespace xls::formula {
namespace {

bool is_range(const Value& argument) {
  return std::holds_alternative<Reference>(argument) ||
         std::holds_alternative<std::shared_ptr<const Array>>(argument);
}

// The numbers of the arguments as SUM reads them; the first error met ends the reading.
Got<std::vector<double>> numbers_of(std::span<const Value> arguments, Context& context) {
  std::vector<double> numbers;
  std::optional<Error> error;
  for (const auto& argument : arguments) {
    if (is_range(argument)) {
      for_each_value(argument, context, [&](const Value& cell) {
        if (const auto* number = std::get_if<double>(&cell)) numbers.push_back(*number);
        if (const auto* e = std::get_if<Error>(&cell)) error = *e;
        return !error;
      });
    } else if (!std::holds_alternative<Blank>(argument)) {
      const auto number = number_of(argument, context);
      if (!number.ok()) error = number.error;
      numbers.push_back(number.value);
    }
    if (error) return *error;
  }
  return numbers;
}

template <class Compute>
Value over_numbers(std::span<const Value> arguments, Context& context, Compute compute) {
  const auto numbers = numbers_of(arguments, context);
  if (!numbers.ok()) return *numbers.error;
  return compute(numbers.value);
}

double mean(const std::vector<double>& numbers) {
  return std::accumulate(numbers.begin(), numbers.end(), 0.0) / static_cast<double>(numbers.size());
}

double sum_of_squares(const std::vector<double>& numbers) {
  const double m = mean(numbers);
  double sum = 0;
  for (const double x : numbers) sum += (x - m) * (x - m);
  return sum;
}

// Variance of a sample (n - 1) or of a population (n).
Value variance(std::span<const Value> arguments, Context& context, bool sample, bool root) {
  return over_numbers(arguments, context, [&](const std::vector<double>& numbers) -> Value {
    const std::size_t n = numbers.size();
    if (n < (sample ? 2u : 1u)) return error_value(ErrorCode::div0);
    const double v = sum_of_squares(numbers) / static_cast<double>(sample ? n - 1 : n);
    return root ? std::sqrt(v) : v;
  });
}

Value sum(std::span<const Value> arguments, Context& context) {
  return over_numbers(arguments, context, [](const std::vector<double>& numbers) -> Value {
    return std::accumulate(numbers.begin(), numbers.end(), 0.0);
  });
}

Value average(std::span<const Value> arguments, Context& context) {
  return over_numbers(arguments, context, [](const std::vector<double>& numbers) -> Value {
    if (numbers.empty()) return error_value(ErrorCode::div0);
    return mean(numbers);
  });
}

Value minimum(std::span<const Value> arguments, Context& context) {
  return over_numbers(arguments, context, [](const std::vector<double>& numbers) -> Value {
    return numbers.empty() ? 0.0 : *std::min_element(numbers.begin(), numbers.end());
  });
}

Value maximum(std::span<const Value> arguments, Context& context) {
  return over_numbers(arguments, context, [](const std::vector<double>& numbers) -> Value {
    return numbers.empty() ? 0.0 : *std::max_element(numbers.begin(), numbers.end());
  });
}

Value product(std::span<const Value> arguments, Context& context) {
  return over_numbers(arguments, context, [](const std::vector<double>& numbers) -> Value {
    if (numbers.empty()) return 0.0;
    return std::accumulate(numbers.begin(), numbers.end(), 1.0, std::multiplies<>());
  });
}

Value median(std::span<const Value> arguments, Context& context) {
  return over_numbers(arguments, context, [](std::vector<double> numbers) -> Value {
    if (numbers.empty()) return error_value(ErrorCode::num);
    std::sort(numbers.begin(), numbers.end());
    const std::size_t half = numbers.size() / 2;
    return numbers.size() % 2 ? numbers[half] : (numbers[half - 1] + numbers[half]) / 2;
  });
}

Value stdev(std::span<const Value> a, Context& c) {
  return variance(a, c, true, true);
}
Value stdevp(std::span<const Value> a, Context& c) {
  return variance(a, c, false, true);
}
Value var(std::span<const Value> a, Context& c) {
  return variance(a, c, true, false);
}
Value varp(std::span<const Value> a, Context& c) {
  return variance(a, c, false, false);
}

// COUNT: numbers in references and arrays; typed arguments that are or read as numbers.
Value count(std::span<const Value> arguments, Context& context) {
  double n = 0;
  for (const auto& argument : arguments) {
    if (is_range(argument)) {
      for_each_value(argument, context, [&](const Value& cell) {
        n += std::holds_alternative<double>(cell);
        return true;
      });
    } else if (!is_error(argument)) {
      n += number_of(argument, context).ok();
    }
  }
  return n;
}

// COUNTA: every cell that is not blank (an empty text counts); every typed argument.
Value count_all(std::span<const Value> arguments, Context& context) {
  double n = 0;
  for (const auto& argument : arguments) {
    if (is_range(argument)) {
      for_each_value(argument, context, [&](const Value& cell) {
        n += !std::holds_alternative<Blank>(cell);
        return true;
      });
    } else {
      n += 1;
    }
  }
  return n;
}

// COUNTBLANK: blank cells and empty texts.
Value count_blank(std::span<const Value> arguments, Context& context) {
  double n = 0;
  for_each_value(arguments[0], context, [&](const Value& cell) {
    const auto* text = std::get_if<std::u16string>(&cell);
    n += std::holds_alternative<Blank>(cell) || (text && text->empty());
    return true;
  });
  return n;
}

// LARGE and SMALL: the k-th of the numbers (k rounded up), counted from either end.
Value kth(std::span<const Value> arguments, Context& context, bool largest) {
  const auto numbers = numbers_of(arguments.first(1), context);
  if (!numbers.ok()) return *numbers.error;
  const auto k = number_of(arguments[1], context);
  if (!k.ok()) return *k.error;
  const double rank = std::ceil(k.value);
  auto sorted = numbers.value;
  if (rank < 1 || rank > static_cast<double>(sorted.size())) return error_value(ErrorCode::num);
  std::sort(sorted.begin(), sorted.end());
  const auto index = static_cast<std::size_t>(rank) - 1;
  return largest ? sorted[sorted.size() - 1 - index] : sorted[index];
}

Value large(std::span<const Value> a, Context& c) {
  return kth(a, c, true);
}
Value small(std::span<const Value> a, Context& c) {
  return kth(a, c, false);
}

// RANK(number, ref, [order]): 1 + how many numbers of ref are greater (order 0) or smaller.
Value rank(std::span<const Value> arguments, Context& context) {
  const auto number = number_of(arguments[0], context);
  if (!number.ok()) return *number.error;
  const auto numbers = numbers_of(arguments.subspan(1, 1), context);
  if (!numbers.ok()) return *numbers.error;
  const auto order = number_of(argument_or_blank(arguments, 2), context);
  if (!order.ok()) return *order.error;
  double before = 0;
  bool found = false;
  for (const double x : numbers.value) {
    found = found || x == number.value;
    before += order.value == 0 ? x > number.value : x < number.value;
  }
  if (!found) return error_value(ErrorCode::na);
  return before + 1;
}

// The pairs of numbers two ranges of one size hold at the same places.
struct Pairs {
  std::vector<double> x, y;
};

Got<Pairs> pairs_of(const Value& ys, const Value& xs, Context& context) {
  const Grid gy = grid_of(ys, context), gx = grid_of(xs, context);
  if (gy.rows * gy.columns != gx.rows * gx.columns) return Error{ErrorCode::na};
  Pairs pairs;
  for (std::uint32_t i = 0; i < gy.rows * gy.columns; ++i) {
    const Value y = gy.at(i / gy.columns, i % gy.columns);
    const Value x = gx.at(i / gx.columns, i % gx.columns);
    if (const auto* e = std::get_if<Error>(&y)) return *e;
    if (const auto* e = std::get_if<Error>(&x)) return *e;
    if (std::holds_alternative<double>(y) && std::holds_alternative<double>(x)) {
      pairs.y.push_back(std::get<double>(y));
      pairs.x.push_back(std::get<double>(x));
    }
  }
  return pairs;
}

struct Line {
  double slope = 0, intercept = 0;
};

Got<Line> regression(const Value& ys, const Value& xs, Context& context) {
  const auto pairs = pairs_of(ys, xs, context);
  if (!pairs.ok()) return *pairs.error;
  const auto& p = pairs.value;
  if (p.x.empty()) return Error{ErrorCode::div0};
  const double mx = mean(p.x), my = mean(p.y);
  double sxy = 0, sxx = 0;
  for (std::size_t i = 0; i < p.x.size(); ++i) {
    sxy += (p.x[i] - mx) * (p.y[i] - my);
    sxx += (p.x[i] - mx) * (p.x[i] - mx);
  }
  if (sxx == 0) return Error{ErrorCode::div0};
  const double slope = sxy / sxx;
  return Line{slope, my - slope * mx};
}

Value slope(std::span<const Value> arguments, Context& context) {
  const auto line = regression(arguments[0], arguments[1], context);
  return line.ok() ? Value(line.value.slope) : Value(*line.error);
}

Value intercept(std::span<const Value> arguments, Context& context) {
  const auto line = regression(arguments[0], arguments[1], context);
  return line.ok() ? Value(line.value.intercept) : Value(*line.error);
}

// FORECAST(x, known_y, known_x)
Value forecast(std::span<const Value> arguments, Context& context) {
  const auto x = number_of(arguments[0], context);
  if (!x.ok()) return *x.error;
  const auto line = regression(arguments[1], arguments[2], context);
  if (!line.ok()) return *line.error;
  return line.value.intercept + line.value.slope * x.value;
}

Value correl(std::span<const Value> arguments, Context& context) {
  const auto pairs = pairs_of(arguments[0], arguments[1], context);
  if (!pairs.ok()) return *pairs.error;
  const auto& p = pairs.value;
  if (p.x.empty()) return error_value(ErrorCode::div0);
  const double mx = mean(p.x), my = mean(p.y);
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < p.x.size(); ++i) {
    sxy += (p.x[i] - mx) * (p.y[i] - my);
    sxx += (p.x[i] - mx) * (p.x[i] - mx);
    syy += (p.y[i] - my) * (p.y[i] - my);
  }
  if (sxx == 0 || syy == 0) return error_value(ErrorCode::div0);
  return sxy / std::sqrt(sxx * syy);
}

// SUMPRODUCT: ranges of one shape multiplied place by place; what is no number counts 0.
Value sum_product(std::span<const Value> arguments, Context& context) {
  std::vector<Grid> grids;
  for (const auto& argument : arguments) {
    if (is_error(argument)) return argument;
    grids.push_back(grid_of(argument, context));
    if (grids.back().rows != grids.front().rows || grids.back().columns != grids.front().columns) {
      return error_value(ErrorCode::value);
    }
  }
  double total = 0;
  for (std::uint32_t row = 0; row < grids.front().rows; ++row) {
    for (std::uint32_t column = 0; column < grids.front().columns; ++column) {
      double term = 1;
      for (const auto& grid : grids) {
        const Value cell = grid.at(row, column);
        if (is_error(cell)) return cell;
        const auto* number = std::get_if<double>(&cell);
        term *= number ? *number : 0.0;
      }
      total += term;
    }
  }
  return total;
}

// The cells of range that meet the criterion, visited with their place in the range.
template <class Visit>
std::optional<Error> each_match(const Value& range, const Value& criterion, Context& context,
                                Visit visit) {
  const Value single = single_value(criterion, context);
  const auto rule = Criterion::from(single, context);
  const Grid grid = grid_of(range, context);
  for (std::uint32_t row = 0; row < grid.rows; ++row) {
    for (std::uint32_t column = 0; column < grid.columns; ++column) {
      if (!rule.matches(grid.at(row, column), context)) continue;
      if (auto error = visit(row, column)) return error;
    }
  }
  return std::nullopt;
}

Value count_if(std::span<const Value> arguments, Context& context) {
  double n = 0;
  each_match(arguments[0], arguments[1], context, [&](std::uint32_t, std::uint32_t) {
    ++n;
    return std::optional<Error>();
  });
  return n;
}

// SUMIF(range, criterion, [sum_range]): sum_range takes range's shape from its first cell.
Value sum_if(std::span<const Value> arguments, Context& context) {
  Value sum_range = has_argument(arguments, 2) ? arguments[2] : arguments[0];
  if (auto* target = std::get_if<Reference>(&sum_range)) {
    if (const auto* range = std::get_if<Reference>(&arguments[0])) {
      target->last_row = static_cast<std::uint16_t>(
          std::min<std::uint32_t>(target->first_row + range->rows() - 1, 0xFFFF));
      target->last_column = static_cast<std::uint16_t>(
          std::min<std::uint32_t>(target->first_column + range->columns() - 1, 0xFF));
    }
  }
  const Grid sums = grid_of(sum_range, context);
  double total = 0;
  const auto error =
      each_match(arguments[0], arguments[1], context, [&](std::uint32_t row, std::uint32_t column) {
        if (row >= sums.rows || column >= sums.columns) return std::optional<Error>();
        const Value cell = sums.at(row, column);
        if (const auto* e = std::get_if<Error>(&cell)) return std::optional<Error>(*e);
        if (const auto* number = std::get_if<double>(&cell)) total += *number;
        return std::optional<Error>();
      });
  if (error) return *error;
  return total;
}

constexpr NumberedFunction kFunctions[] = {
    {0, count},
    {4, sum},
    {5, average},
    {6, minimum},
    {7, maximum},
    {12, stdev},
    {46, var},
    {169, count_all},
    {183, product},
    {193, stdevp},
    {194, varp},
    {216, at_least<rank, 2>},
    {227, median},
    {228, sum_product},
    {307, at_least<correl, 2>},
    {309, at_least<forecast, 3>},
    {311, at_least<intercept, 2>},
    {315, at_least<slope, 2>},
    {325, at_least<large, 2>},
    {326, at_least<small, 2>},
    {345, at_least<sum_if, 2>},
    {346, at_least<count_if, 2>},
    {347, at_least<count_blank, 1>},
};

}  // namespace

std::span<const NumberedFunction> aggregate_functions() {
  return kFunctions;
}

}  // namespace xls::formula
