#include "xls/workbook.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "xls/cell_name.h"
#include "xls/cell_reader.h"
#include "xls/cell_records.h"
#include "xls/formula_computation.h"
#include "xls/record_ids.h"
#include "xls/rk_number.h"
#include "xls/text.h"
#include "xls/workbook_records.h"
#include "xls/workbook_state.h"

namespace xls {

namespace {

void read_globals(Workbook::State& state) {
  const auto& globals = state.records.globals.records;
  std::unordered_map<std::uint32_t, std::size_t> starts;
  for (std::size_t k = 0; k < state.records.sheets.size(); ++k)
    starts[state.records.sheets[k].offset] = k;
  for (std::size_t i = 0; i < globals.size(); ++i) {
    const Record& record = globals[i];
    if (record.id == rec::kBoundSheet) {
      const auto bound = BoundSheetRecord::parse(record.data);
      if (!bound) {
        throw Error(ErrorKind::unreadable, "a sheet entry (BOUNDSHEET record) of it is malformed");
      }
      SheetEntry sheet{bound->name, bound->type, i, std::nullopt};
      const auto found = starts.find(bound->position);
      if (found != starts.end()) {
        sheet.substream = found->second;
      } else if (sheet.type != BoundSheetRecord::kVbaModule) {
        throw Error(ErrorKind::unreadable,
                    "its sheet '" + utf16_to_utf8(sheet.name) + "' points to offset " +
                        std::to_string(bound->position) + ", where no sheet begins");
      }
      state.sheets.push_back(std::move(sheet));
    } else if (record.id == rec::kSst && !state.strings.present()) {
      std::vector<std::string_view> parts{record.data};
      for (std::size_t k = i + 1; k < globals.size() && globals[k].id == rec::kContinue; ++k) {
        parts.push_back(globals[k].data);
      }
      state.strings.load(std::move(parts));
    }
  }
  state.formats = CellFormats(globals);
  std::vector<std::u16string> sheet_names;
  for (const SheetEntry& sheet : state.sheets) sheet_names.push_back(sheet.name);
  state.names = formula::WorkbookNames(globals, std::move(sheet_names));
}

std::optional<std::size_t> find_workbook_stream(const CompoundFile& container) {
  if (auto found = container.find_root_stream(u"Workbook")) return found;
  return container.find_root_stream(u"Book");
}

std::string utf8(std::u16string_view text) {
  return utf16_to_utf8(text);
}

// The file's name for descriptions, which are UTF-8 text on every platform.
std::string utf8_name(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

}  // namespace

Workbook::Workbook(std::unique_ptr<State> state) : state_(std::move(state)) {}
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;
Workbook::~Workbook() = default;

Workbook Workbook::load(std::string bytes, std::string name, const FileSystem& files) {
  auto state = std::make_unique<State>();
  state->name = std::move(name);
  state->files = &files;
  try {
    state->container = CompoundFile::parse(bytes);
    const auto entry = find_workbook_stream(state->container);
    if (!entry)
      throw Error(ErrorKind::unreadable, "it holds no Workbook stream (not an Excel workbook?)");
    state->stream_entry = *entry;
    state->stream = state->container.take_stream(*entry);
    state->records = parse_record_stream(state->stream);
    read_globals(*state);
  } catch (const Error& error) {
    throw Error(error.kind(), "cannot open '" + state->name + "': " + error.what());
  }
  return Workbook(std::move(state));
}

Workbook Workbook::open(const std::filesystem::path& path, const FileSystem& files) {
  Workbook workbook = load(files.read_file(path), utf8_name(path), files);
  workbook.state_->path = path;
  return workbook;
}

Workbook Workbook::open_bytes(std::string bytes, std::string name) {
  return load(std::move(bytes), std::move(name), native_file_system());
}

Workbook Workbook::create_blank(const FileSystem& files) {
  const CompoundFile container = CompoundFile::create({{u"Workbook", blank_workbook_stream()}});
  return load(container.serialize(), "new workbook", files);
}

std::size_t Workbook::sheet_count() const {
  return state_->sheets.size();
}

std::vector<std::u16string> Workbook::sheet_names() const {
  std::vector<std::u16string> names;
  for (const SheetEntry& sheet : state_->sheets) names.push_back(sheet.name);
  return names;
}

SheetKind Workbook::sheet_kind(std::size_t sheet) const {
  if (sheet >= state_->sheets.size())
    throw Error(ErrorKind::no_such_cell, "there is no sheet number " + std::to_string(sheet + 1));
  switch (state_->sheets[sheet].type) {
    case BoundSheetRecord::kWorksheet:
      return SheetKind::worksheet;
    case BoundSheetRecord::kMacroSheet:
      return SheetKind::macro_sheet;
    case BoundSheetRecord::kChart:
      return SheetKind::chart;
    case BoundSheetRecord::kVbaModule:
      return SheetKind::vba_module;
    default:
      return SheetKind::other;
  }
}

std::optional<std::size_t> Workbook::find_sheet(std::u16string_view name) const {
  for (std::size_t i = 0; i < state_->sheets.size(); ++i) {
    if (equal_ignoring_case(state_->sheets[i].name, name)) return i;
  }
  return std::nullopt;
}

Workbook::Place Workbook::place(std::size_t sheet, std::int64_t row, std::int64_t column) const {
  State& s = *state_;
  if (sheet >= s.sheets.size())
    throw Error(ErrorKind::no_such_cell, "there is no sheet number " + std::to_string(sheet + 1));
  if (row < 1 || row > kMaxRow) {
    throw Error(ErrorKind::no_such_cell,
                "row " + std::to_string(row) + " is outside the sheet: rows go from 1 to 65536");
  }
  if (column < 1 || column > kMaxColumn) {
    throw Error(ErrorKind::no_such_cell, "column " + std::to_string(column) +
                                             " is outside the sheet: columns go from 1 to 256");
  }
  const SheetEntry& entry = s.sheets[sheet];
  const std::uint16_t bof_type = entry.substream ? s.records.sheets[*entry.substream].type : 0;
  if ((entry.type != BoundSheetRecord::kWorksheet && entry.type != BoundSheetRecord::kMacroSheet) ||
      (bof_type != BofRecord::kWorksheet && bof_type != BofRecord::kMacroSheet)) {
    throw Error(ErrorKind::no_such_cell,
                "sheet '" + utf8(entry.name) + "' is not a worksheet and holds no cells");
  }
  auto table = s.tables.find(*entry.substream);
  if (table == s.tables.end()) {
    try {
      table = s.tables
                  .try_emplace(*entry.substream, s.records.sheets[*entry.substream],
                               s.formats.default_cell_format())
                  .first;
    } catch (const Error& error) {
      throw Error(error.kind(), "cannot write to sheet '" + utf8(entry.name) + "' of '" + s.name +
                                    "': " + error.what());
    }
  }
  return {sheet, &table->second, static_cast<std::uint16_t>(row - 1),
          static_cast<std::uint16_t>(column - 1)};
}

Workbook::Place Workbook::writable_place(std::size_t sheet, std::int64_t row,
                                         std::int64_t column) const {
  const Place at = place(sheet, row, column);
  // The application's own description, then which cell it was.
  const auto where = [&] {
    return " (cell " + cell_name(at.row, at.column) + " of sheet '" +
           utf8(state_->sheets[sheet].name) + "' in '" + state_->name + "')";
  };
  try {
    at.table->check_writable(at.row, at.column);
  } catch (const Error& error) {
    throw Error(error.kind(), error.what() + where());
  }
  if (at.table->protected_sheet() &&
      state_->formats.locked(at.table->format_of(at.row, at.column))) {
    throw Error(ErrorKind::refused,
                "The cell or chart you're trying to change is on a protected sheet. To make a "
                "change, unprotect the sheet. You might be requested to enter a password." +
                    where());
  }
  return at;
}

std::uint16_t Workbook::format_for(const Place& at, std::u16string_view number_format,
                                   bool quote_prefix) {
  try {
    return state_->formats.format_for(at.table->format_of(at.row, at.column), number_format,
                                      quote_prefix);
  } catch (const Error& error) {
    throw Error(error.kind(), "cannot format the cell at row " + std::to_string(at.row + 1) +
                                  ", column " + std::to_string(at.column + 1) + " of '" +
                                  state_->name + "': " + error.what());
  }
}

void Workbook::store(const Place& at, std::uint16_t record_id, std::string body) {
  at.table->set_cell(at.row, at.column, record_id, std::move(body));
  state_->changed = true;
  state_->changed_cells.push_back({static_cast<std::uint16_t>(at.sheet), at.row, at.column});
}

void Workbook::set_text(std::size_t sheet, std::int64_t row, std::int64_t column,
                        std::u16string_view text, bool quote_prefix) {
  const Place at = writable_place(sheet, row, column);
  if (text.size() > kMaxTextLength) {
    throw Error(ErrorKind::bad_value,
                "the text is " + std::to_string(text.size()) +
                    " characters long; a cell holds at most 32767 characters");
  }
  const LabelSstRecord record{{at.row, at.column, format_for(at, {}, quote_prefix)},
                              state_->strings.add(text)};
  store(at, record.kId, record.emit());
}

void Workbook::set_number(std::size_t sheet, std::int64_t row, std::int64_t column, double number,
                          std::u16string_view number_format) {
  const Place at = writable_place(sheet, row, column);
  if (!std::isfinite(number)) throw Error(ErrorKind::bad_value, "a cell holds only finite numbers");
  const CellHeader cell{at.row, at.column, format_for(at, number_format, false)};
  if (const auto rk = encode_rk(number)) {
    const RkRecord record{cell, *rk};
    store(at, record.kId, record.emit());
  } else {
    const NumberRecord record{cell, number};
    store(at, record.kId, record.emit());
  }
}

void Workbook::set_boolean(std::size_t sheet, std::int64_t row, std::int64_t column, bool value) {
  const Place at = writable_place(sheet, row, column);
  const BoolErrRecord record{{at.row, at.column, format_for(at, {}, false)},
                             static_cast<std::uint8_t>(value ? 1 : 0),
                             false};
  store(at, record.kId, record.emit());
}

void Workbook::set_error(std::size_t sheet, std::int64_t row, std::int64_t column,
                         std::uint8_t code) {
  const Place at = writable_place(sheet, row, column);
  if (!is_error_code(code))
    throw Error(ErrorKind::bad_value, "there is no error value numbered " + std::to_string(code));
  const BoolErrRecord record{{at.row, at.column, format_for(at, {}, false)}, code, true};
  store(at, record.kId, record.emit());
}

void Workbook::clear_value(std::size_t sheet, std::int64_t row, std::int64_t column) {
  const Place at = writable_place(sheet, row, column);
  if (!at.table->has_cell(at.row, at.column)) return;
  const BlankRecord record{{at.row, at.column, at.table->format_of(at.row, at.column)}};
  store(at, record.kId, record.emit());
}

std::u16string Workbook::number_format_at(std::size_t sheet, std::int64_t row,
                                          std::int64_t column) const {
  const Place at = place(sheet, row, column);
  return state_->formats.number_format(at.table->format_of(at.row, at.column));
}

bool Workbook::date_1904() const {
  return state_->formats.date_1904();
}

std::vector<Cell> Workbook::cells(std::size_t sheet) const {
  const State& s = *state_;
  if (sheet >= s.sheets.size())
    throw Error(ErrorKind::no_such_cell, "there is no sheet number " + std::to_string(sheet + 1));
  std::vector<Cell> out;
  const auto& substream = s.sheets[sheet].substream;
  if (!substream) return out;
  if (const auto table = s.tables.find(*substream); table != s.tables.end()) {
    read_cells(table->second.cell_records(), s.strings, s.formats, out);
    return out;
  }
  const Substream& sub = s.records.sheets[*substream];
  std::vector<Record> own;
  own.reserve(sub.records.size());
  for (std::size_t i = 0; i < sub.records.size(); ++i) {
    if (sub.depth[i] == 1) own.push_back(sub.records[i]);
  }
  read_cells(own, s.strings, s.formats, out);
  return out;
}

std::optional<Cell> Workbook::cell(std::size_t sheet, std::int64_t row, std::int64_t column) const {
  for (Cell& cell : cells(sheet)) {
    if (cell.row == row && cell.column == column) return std::move(cell);
  }
  return std::nullopt;
}

std::string Workbook::to_bytes() const {
  if (!state_->changed)
    return state_->container.serialize_with(state_->stream_entry, state_->stream);
  compute_formulas(*state_);
  return state_->container.serialize_with(state_->stream_entry, write_workbook_stream(*state_));
}

void Workbook::compute_every_formula_on_save() {
  state_->compute_every_formula = true;
  state_->changed = true;
}

bool Workbook::changed() const {
  return state_->changed;
}

void Workbook::save() {
  if (state_->path.empty())
    throw Error(ErrorKind::file_access, "the workbook has no file yet: save it under a name first");
  save_as(state_->path);
}

void Workbook::save_as(const std::filesystem::path& path) {
  if (path.empty())
    throw Error(ErrorKind::file_access, "cannot save the workbook: no file name given");
  save_atomically(*state_->files, path, to_bytes());
  state_->path = path;
}

const std::filesystem::path& Workbook::path() const {
  return state_->path;
}

}  // namespace xls
