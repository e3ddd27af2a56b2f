// The workbook engine's speed: writing 100 000 text cells (1000 rows x 100 columns, about
// ten characters each, with repeats) into a template and saving it; the same for 100 000
// typed cells shaped like an instrument's recording (times formatted h:mm:ss, decimals,
// unit texts), written directly and as the texts the export assigns (read by the
// typed-entry rule, as the embedded spreadsheet application does); 100 000 values written
// under 10 000 formulas, saved with the formulas computed; opening and saving a template of
// about 1 MB, with nothing written and with one cell written.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "automation/cell_assignment.h"
#include "xls/workbook.h"

namespace {

std::filesystem::path scratch_folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "xls_bench_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return std::filesystem::path(pattern);
  }();
  return folder;
}

// "Wert 00042"-style texts; 2000 distinct ones, so most cells repeat one.
std::u16string cell_text(int row, int column) {
  const int n = (row * 100 + column) * 7919 % 2000;
  std::u16string text = u"Wert 00000";
  for (int i = 9, v = n; v > 0; --i, v /= 10) text[i] = static_cast<char16_t>(u'0' + v % 10);
  return text;
}

// About 1 MB: a sheet of texts and numbers beside a sheet it leaves alone.
std::filesystem::path megabyte_template() {
  static const std::filesystem::path path = [] {
    xls::Workbook workbook = xls::Workbook::create_blank();
    for (int row = 1; row <= 2400; ++row) {
      for (int column = 1; column <= 12; ++column) {
        workbook.set_text(0, row, column,
                          u"Messwert " + cell_text(row, column) + cell_text(column, row));
      }
    }
    const auto file = scratch_folder() / "megabyte.xls";
    workbook.save_as(file);
    return file;
  }();
  return path;
}

void write_hundred_thousand_cells(benchmark::State& state) {
  const auto blank = scratch_folder() / "blank.xls";
  xls::Workbook::create_blank().save_as(blank);
  const auto out = scratch_folder() / "written.xls";
  for (auto _ : state) {
    xls::Workbook workbook = xls::Workbook::open(blank);
    for (int row = 1; row <= 1000; ++row) {
      for (int column = 1; column <= 100; ++column)
        workbook.set_text(0, row, column, cell_text(row, column));
    }
    workbook.save_as(out);
  }
  state.counters["cells"] = 100000;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(write_hundred_thousand_cells)->Unit(benchmark::kMillisecond);

// Rows of a recording: a time of day, then measured values, each followed by its unit.
void write_hundred_thousand_typed_cells(benchmark::State& state) {
  const auto blank = scratch_folder() / "blank.xls";
  xls::Workbook::create_blank().save_as(blank);
  const auto out = scratch_folder() / "typed.xls";
  const std::u16string units[] = {u"mbar", u"\u00B0C", u"V", u"l/min"};
  for (auto _ : state) {
    xls::Workbook workbook = xls::Workbook::open(blank);
    for (int row = 1; row <= 1000; ++row) {
      workbook.set_number(0, row, 1, (8 * 3600 + row * 15) / 86400.0, u"h:mm:ss");
      for (int column = 2; column <= 100; column += 2) {
        workbook.set_number(0, row, column, (row * 100 + column) * 0.01);
        if (column < 100) workbook.set_text(0, row, column + 1, units[column / 2 % 4]);
      }
    }
    workbook.save_as(out);
  }
  state.counters["cells"] = 100000;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(write_hundred_thousand_typed_cells)->Unit(benchmark::kMillisecond);

// The same rows as texts ("08:00:15", "2.02", "mbar"), stored by the typed-entry rule.
void assign_hundred_thousand_texts(benchmark::State& state) {
  const auto blank = scratch_folder() / "blank.xls";
  xls::Workbook::create_blank().save_as(blank);
  const auto out = scratch_folder() / "assigned.xls";
  const std::u16string units[] = {u"mbar", u"\u00B0C", u"V", u"l/min"};
  const auto digits = [](int value, int width) {
    std::u16string text(static_cast<std::size_t>(width), u'0');
    for (int i = width - 1; i >= 0 && value > 0; --i, value /= 10)
      text[static_cast<std::size_t>(i)] = static_cast<char16_t>(u'0' + value % 10);
    return text;
  };
  for (auto _ : state) {
    xls::Workbook workbook = xls::Workbook::open(blank);
    for (int row = 1; row <= 1000; ++row) {
      const int second = 8 * 3600 + row * 15;
      const std::u16string time = digits(second / 3600, 2) + u":" + digits(second / 60 % 60, 2) +
                                  u":" + digits(second % 60, 2);
      schreiber::automation::assign_cell_text(workbook, 0, row, 1, time, 2031);
      for (int column = 2; column <= 100; column += 2) {
        const int hundredths = row * 100 + column;
        const std::u16string value =
            digits(hundredths / 100, 1) + u"." + digits(hundredths % 100, 2);
        schreiber::automation::assign_cell_text(workbook, 0, row, column, value, 2031);
        if (column < 100) {
          schreiber::automation::assign_cell_text(workbook, 0, row, column + 1,
                                                  units[column / 2 % 4], 2031);
        }
      }
    }
    workbook.save_as(out);
  }
  state.counters["cells"] = 100000;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(assign_hundred_thousand_texts)->Unit(benchmark::kMillisecond);

// A sheet of 1000 rows by 100 columns of values with 10 000 formulas over them: in each of
// rows 1 to 990, ten formulas of columns 101 to 110 (IFs, an exact and an approximate
// lookup, sums over the row, a running sum, arithmetic, MATCH, COUNTIF, text), and a sum of
// each value column in row 1001.
std::filesystem::path formula_template() {
  static const std::filesystem::path path = [] {
    xls::Workbook workbook = xls::Workbook::create_blank();
    const auto ascii = [](const std::string& text) {
      return std::u16string(text.begin(), text.end());
    };
    for (int row = 1; row <= 990; ++row) {
      const std::string r = std::to_string(row);
      const std::string formulas[] = {
          "=IF(A" + r + ">B" + r + ",A" + r + ",B" + r + ")",
          "=VLOOKUP(A" + r + ",$A$1:$C$1000,3,FALSE)",
          "=SUM(C" + r + ":CV" + r + ")",
          "=IF(C" + r + ">50,\"high\",\"low\")",
          "=A" + r + "*2+B" + r + "/4",
          "=SUM($D$1:D" + r + ")",
          "=LOOKUP(E" + r + ",$E$1:$E$1000)",
          "=MATCH(F" + r + ",$F$1:$F$1000,0)",
          "=COUNTIF(G$1:G$1000,\">\"&G" + r + ")",
          "=AND(CW" + r + ">0,CX" + r + "<>\"low\")",
      };
      for (int k = 0; k < 10; ++k) workbook.set_formula(0, row, 101 + k, ascii(formulas[k]));
    }
    for (int column = 1; column <= 100; ++column) {
      const std::string letters = column <= 26
                                      ? std::string(1, static_cast<char>('A' + column - 1))
                                      : std::string{static_cast<char>('A' + (column - 1) / 26 - 1),
                                                    static_cast<char>('A' + (column - 1) % 26)};
      workbook.set_formula(0, 1001, column, ascii("=SUM(" + letters + "1:" + letters + "1000)"));
    }
    const auto file = scratch_folder() / "formulas.xls";
    workbook.save_as(file);
    return file;
  }();
  return path;
}

// 100 000 values written into it and saved: every formula reads a written cell, so all
// 10 000 are computed and stored.
void compute_ten_thousand_formulas(benchmark::State& state) {
  const auto source = formula_template();
  const auto out = scratch_folder() / "computed.xls";
  for (auto _ : state) {
    xls::Workbook workbook = xls::Workbook::open(source);
    for (int row = 1; row <= 1000; ++row) {
      for (int column = 1; column <= 100; ++column)
        workbook.set_number(0, row, column, (row * 37 + column * 11) % 1000 * 0.1);
    }
    workbook.save_as(out);
  }
  state.counters["cells"] = 100000;
  state.counters["formulas"] = 10000;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(compute_ten_thousand_formulas)->Unit(benchmark::kMillisecond);

void open_and_save_megabyte(benchmark::State& state) {
  const auto source = megabyte_template();
  const auto out = scratch_folder() / "copy.xls";
  for (auto _ : state) {
    xls::Workbook workbook = xls::Workbook::open(source);
    if (state.range(0)) workbook.set_text(0, 3, 3, u"geändert");
    workbook.save_as(out);
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(source));
}
BENCHMARK(open_and_save_megabyte)
    ->ArgName("cell_written")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
