// Lookup and reference: VLOOKUP, HLOOKUP, LOOKUP, MATCH, INDEX, CHOOSE, ROW, COLUMN, ROWS,
// COLUMNS, OFFSET, INDIRECT, ADDRESS. Functions that give a place return a Reference, which
// the caller reads where it needs a value.

#include <algorithm>
#include <cmath>

#include "xls/formula/cell_address.h"
#include "xls/formula/criteria.h"
#include "xls/formula/function_support.h"

namespace xls::formula {
namespace {

constexpr long kRows = 65536, kColumns = 256;

enum class Match { exact, largest_not_above, smallest_not_below };

// The position (from 0) of wanted among n values: exact (texts with wildcards), or in sorted
// values the last one not above (ascending) or not below (descending) it, values of another
// kind passed over.
template <class At>
std::optional<std::uint32_t> find(const Value& wanted, std::uint32_t n, At at, Match match) {
  const auto* pattern = std::get_if<std::u16string>(&wanted);
  const std::u16string upper = pattern ? upper_case(*pattern) : std::u16string();
  std::optional<std::uint32_t> found;
  for (std::uint32_t i = 0; i < n; ++i) {
    const Value cell = at(i);
    if (match == Match::exact) {
      if (pattern) {
        const auto* text = std::get_if<std::u16string>(&cell);
        if (text && wildcard_match(upper, upper_case(*text))) return i;
      } else if (const auto order = compare_same_kind(cell, wanted); order && *order == 0) {
        return i;
      }
      continue;
    }
    const auto order = compare_same_kind(cell, wanted);
    if (!order) continue;
    if (match == Match::largest_not_above ? *order > 0 : *order < 0) break;
    found = i;
  }
  return found;
}

Got<Value> wanted_value(const Value& argument, Context& context) {
  const Value wanted = single_value(argument, context);
  if (const auto* error = std::get_if<Error>(&wanted)) return *error;
  if (std::holds_alternative<Blank>(wanted)) return Error{ErrorCode::na};
  return wanted;
}

// VLOOKUP and HLOOKUP(value, table, index, [sorted = TRUE])
template <bool Vertical>
Value table_lookup(std::span<const Value> arguments, Context& context) {
  const auto wanted = wanted_value(arguments[0], context);
  if (!wanted.ok()) return *wanted.error;
  if (is_error(arguments[1])) return arguments[1];
  const Grid table = grid_of(arguments[1], context);
  const auto index = integer_of(arguments[2], context);
  if (!index.ok()) return *index.error;
  bool sorted = true;
  if (has_argument(arguments, 3)) {
    const auto flag = boolean_of(arguments[3], context);
    if (!flag.ok()) return *flag.error;
    sorted = flag.value;
  }
  const std::uint32_t across = Vertical ? table.columns : table.rows;
  if (index.value < 1) return error_value(ErrorCode::value);
  if (index.value > across) return error_value(ErrorCode::ref);
  const std::uint32_t n = Vertical ? table.rows : table.columns;
  const auto at = [&](std::uint32_t i) { return Vertical ? table.at(i, 0) : table.at(0, i); };
  const auto found = find(wanted.value, n, at, sorted ? Match::largest_not_above : Match::exact);
  if (!found) return error_value(ErrorCode::na);
  const auto k = static_cast<std::uint32_t>(index.value) - 1;
  return Vertical ? table.at(*found, k) : table.at(k, *found);
}

// MATCH(value, range, [type = 1]): the position from 1.
Value match(std::span<const Value> arguments, Context& context) {
  const auto wanted = wanted_value(arguments[0], context);
  if (!wanted.ok()) return *wanted.error;
  if (is_error(arguments[1])) return arguments[1];
  const Grid range = grid_of(arguments[1], context);
  double type = 1;
  if (arguments.size() > 2) {
    const auto t = number_of(arguments[2], context);
    if (!t.ok()) return *t.error;
    type = t.value;
  }
  if (range.rows > 1 && range.columns > 1) return error_value(ErrorCode::na);
  const auto at = [&](std::uint32_t i) { return range.rows > 1 ? range.at(i, 0) : range.at(0, i); };
  const auto kind =
      type > 0 ? Match::largest_not_above : (type < 0 ? Match::smallest_not_below : Match::exact);
  const auto found = find(wanted.value, std::max(range.rows, range.columns), at, kind);
  if (!found) return error_value(ErrorCode::na);
  return static_cast<double>(*found + 1);
}

// LOOKUP(value, vector, [result]): the sorted search in vector; the result vector's value at
// the same position (or, with two arguments, the last row or column of a table).
Value lookup(std::span<const Value> arguments, Context& context) {
  const auto wanted = wanted_value(arguments[0], context);
  if (!wanted.ok()) return *wanted.error;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (is_error(arguments[i])) return arguments[i];
  }
  const Grid range = grid_of(arguments[1], context);
  // A table wider than tall is searched along its first row, else down its first column.
  const bool along_row = range.columns > range.rows;
  const std::uint32_t n = along_row ? range.columns : range.rows;
  const auto at = [&](std::uint32_t i) { return along_row ? range.at(0, i) : range.at(i, 0); };
  const auto found = find(wanted.value, n, at, Match::largest_not_above);
  if (!found) return error_value(ErrorCode::na);
  if (arguments.size() < 3) {
    return along_row ? range.at(range.rows - 1, *found) : range.at(*found, range.columns - 1);
  }
  const Grid result = grid_of(arguments[2], context);
  if (result.rows > 1 && result.columns > 1) return error_value(ErrorCode::na);
  if (*found >= result.rows * result.columns) return error_value(ErrorCode::na);
  return result.rows > 1 ? result.at(*found, 0) : result.at(0, *found);
}

// INDEX(range, row, [column]): one cell (0 for a whole row or column); a range of one row
// takes a single index as its column.
Value index(std::span<const Value> arguments, Context& context) {
  if (is_error(arguments[0])) return arguments[0];
  const auto row_number = integer_of(argument_or_blank(arguments, 1), context);
  if (!row_number.ok()) return *row_number.error;
  const auto column_number = integer_of(argument_or_blank(arguments, 2), context);
  if (!column_number.ok()) return *column_number.error;
  const Grid grid = grid_of(arguments[0], context);
  double row = row_number.value, column = column_number.value;
  if (grid.rows == 1 && arguments.size() == 2) std::swap(row, column);
  if (row < 0 || column < 0) return error_value(ErrorCode::value);
  if (row > grid.rows || column > grid.columns) return error_value(ErrorCode::ref);
  const auto r = static_cast<std::uint32_t>(row), c = static_cast<std::uint32_t>(column);
  if (const auto* reference = std::get_if<Reference>(&arguments[0])) {
    Reference cell = *reference;
    if (r > 0)
      cell.first_row = cell.last_row = static_cast<std::uint16_t>(reference->first_row + r - 1);
    if (c > 0) {
      cell.first_column = cell.last_column =
          static_cast<std::uint16_t>(reference->first_column + c - 1);
    }
    return cell;
  }
  if (r == 0 || c == 0) {
    if (grid.rows == 1 && grid.columns == 1) return grid.at(0, 0);
    auto part = std::make_shared<Array>();
    part->rows = r == 0 ? grid.rows : 1;
    part->columns = c == 0 ? grid.columns : 1;
    for (std::uint32_t i = 0; i < part->rows; ++i) {
      for (std::uint32_t j = 0; j < part->columns; ++j) {
        part->cells.push_back(grid.at(r == 0 ? i : r - 1, c == 0 ? j : c - 1));
      }
    }
    return std::shared_ptr<const Array>(part);
  }
  return grid.at(r - 1, c - 1);
}

// CHOOSE(index, value1, ...): the chosen argument as it came.
Value choose(std::span<const Value> arguments, Context& context) {
  const auto which = integer_of(arguments[0], context);
  if (!which.ok()) return *which.error;
  if (which.value < 1 || which.value >= static_cast<double>(arguments.size())) {
    return error_value(ErrorCode::value);
  }
  const Value& chosen = arguments[static_cast<std::size_t>(which.value)];
  if (std::holds_alternative<Blank>(chosen)) return 0.0;
  return chosen;
}

// ROW and COLUMN: of the reference's first cell, or of the formula's own cell.
template <bool Row>
Value row_or_column(std::span<const Value> arguments, Context& context) {
  if (!has_argument(arguments, 0)) return 1.0 + (Row ? context.row() : context.column());
  if (is_error(arguments[0])) return arguments[0];
  const auto* reference = std::get_if<Reference>(&arguments[0]);
  if (!reference) return error_value(ErrorCode::value);
  return 1.0 + (Row ? reference->first_row : reference->first_column);
}

template <bool Rows>
Value rows_or_columns(std::span<const Value> arguments, Context& context) {
  if (is_error(arguments[0])) return arguments[0];
  const Grid grid = grid_of(arguments[0], context);
  return static_cast<double>(Rows ? grid.rows : grid.columns);
}

// OFFSET(reference, rows, columns, [height], [width])
Value offset(std::span<const Value> arguments, Context& context) {
  if (is_error(arguments[0])) return arguments[0];
  const auto* base = std::get_if<Reference>(&arguments[0]);
  if (!base) return error_value(ErrorCode::value);
  double numbers[4] = {0, 0, static_cast<double>(base->rows()),
                       static_cast<double>(base->columns())};
  for (std::size_t i = 1; i < 5; ++i) {
    if (!has_argument(arguments, i)) continue;
    const auto n = integer_of(arguments[i], context);
    if (!n.ok()) return *n.error;
    numbers[i - 1] = n.value;
  }
  const double first_row = base->first_row + numbers[0];
  const double first_column = base->first_column + numbers[1];
  const double last_row = first_row + numbers[2] - 1, last_column = first_column + numbers[3] - 1;
  if (numbers[2] < 1 || numbers[3] < 1 || first_row < 0 || first_column < 0 || last_row >= kRows ||
      last_column >= kColumns) {
    return error_value(ErrorCode::ref);
  }
  return Reference{base->sheet, static_cast<std::uint16_t>(first_row),
                   static_cast<std::uint16_t>(last_row), static_cast<std::uint16_t>(first_column),
                   static_cast<std::uint16_t>(last_column)};
}

// INDIRECT(text, [a1 = TRUE])
Value indirect(std::span<const Value> arguments, Context& context) {
  const auto text = text_of(arguments[0], context);
  if (!text.ok()) return *text.error;
  bool a1 = true;
  if (has_argument(arguments, 1)) {
    const auto flag = boolean_of(arguments[1], context);
    if (!flag.ok()) return *flag.error;
    a1 = flag.value;
  }
  const auto reference = parse_reference(text.value, a1, context);
  if (!reference) return error_value(ErrorCode::ref);
  return *reference;
}

// ADDRESS(row, column, [kind = 1], [a1 = TRUE], [sheet]): kind 1 $A$1, 2 A$1, 3 $A1, 4 A1.
Value address(std::span<const Value> arguments, Context& context) {
  double numbers[3] = {0, 0, 1};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!has_argument(arguments, i)) continue;
    const auto n = integer_of(arguments[i], context);
    if (!n.ok()) return *n.error;
    numbers[i] = n.value;
  }
  bool a1 = true;
  if (has_argument(arguments, 3)) {
    const auto flag = boolean_of(arguments[3], context);
    if (!flag.ok()) return *flag.error;
    a1 = flag.value;
  }
  const double row = numbers[0], column = numbers[1], kind = numbers[2];
  if (row < 1 || column < 1 || row > kRows || column > kColumns || kind < 1 || kind > 4) {
    return error_value(ErrorCode::value);
  }
  const bool absolute_row = kind == 1 || kind == 2;
  const bool absolute_column = kind == 1 || kind == 3;
  const auto r = static_cast<long>(row), c = static_cast<long>(column);
  std::u16string text;
  if (has_argument(arguments, 4)) {
    const auto sheet = text_of(arguments[4], context);
    if (!sheet.ok()) return *sheet.error;
    text = quoted_sheet_name(sheet.value) + u"!";
  }
  const auto digits = [](long n) {
    const auto s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
  };
  if (a1) {
    text += (absolute_column ? u"$" : u"") + column_letters(static_cast<std::uint32_t>(c - 1));
    text += (absolute_row ? u"$" : u"") + digits(r);
  } else {
    text += absolute_row ? u"R" + digits(r) : u"R[" + digits(r) + u"]";
    text += absolute_column ? u"C" + digits(c) : u"C[" + digits(c) + u"]";
  }
  return text;
}

constexpr NumberedFunction kFunctions[] = {
    {8, row_or_column<true>},
    {9, row_or_column<false>},
    {28, at_least<lookup, 2>},
    {29, at_least<index, 2>},
    {64, at_least<match, 2>},
    {76, at_least<rows_or_columns<true>, 1>},
    {77, at_least<rows_or_columns<false>, 1>},
    {78, at_least<offset, 3>},
    {100, at_least<choose, 2>},
    {101, at_least<table_lookup<false>, 3>},
    {102, at_least<table_lookup<true>, 3>},
    {148, at_least<indirect, 1>},
    {219, at_least<address, 2>},
};

}  // namespace

std::span<const NumberedFunction> lookup_functions() {
  return kFunctions;
}

}  // namespace xls::formula
