// Writes the workbook stream back: the globals with the shared string table rebuilt, the
// formats that writes added, and recalculation on load requested, then every sheet, each
// unchanged one copied as it was with its INDEX shifted to its new position, and finally
// every BOUNDSHEET pointed at where its sheet now begins.

#include <algorithm>

#include "xls/little_endian.h"
#include "xls/record_ids.h"
#include "xls/sheet_records.h"
#include "xls/workbook_records.h"
#include "xls/workbook_state.h"

namespace xls {

namespace {

std::size_t string_references(const Workbook::State& state) {
  std::size_t count = 0;
  for (std::size_t k = 0; k < state.records.sheets.size(); ++k) {
    if (const CellTable* table = state.written_table(k)) {
      count += table->string_references();
      continue;
    }
    const Substream& sub = state.records.sheets[k];
    for (std::size_t i = 0; i < sub.records.size(); ++i) {
      count += sub.depth[i] == 1 && sub.records[i].id == rec::kLabelSst;
    }
  }
  return count;
}

void write_strings(std::string& out, const SharedStrings::Serialized& table) {
  const auto at = static_cast<std::uint32_t>(out.size());
  for (std::size_t k = 0; k < table.bodies.size(); ++k) {
    append_record(out, k == 0 ? rec::kSst : rec::kContinue, table.bodies[k]);
  }
  append_record(out, rec::kExtSst, SharedStrings::index_body(table, at));
}

// Globals; returns where each BOUNDSHEET's position field landed, by sheet.
std::vector<std::size_t> write_globals(std::string& out, const Workbook::State& state) {
  const auto& records = state.records.globals.records;
  const SharedStrings::Serialized strings =
      state.strings.serialize(static_cast<std::uint32_t>(string_references(state)));
  std::vector<std::size_t> sheet_fields(state.sheets.size(), std::string::npos);
  bool strings_written = false;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& record = records[i];
    state.formats.write_before(i, out);
    state.names.write_before(i, out);
    if (state.names.replaces(i)) continue;
    if (auto replaced = state.formats.replacement(i)) {
      append_record(out, record.id, *replaced);
      continue;
    }
    switch (record.id) {
      case rec::kSst:
        if (strings_written) break;  // a second table (never written by Excel) stays as it was
        write_strings(out, strings);
        strings_written = true;
        while (i + 1 < records.size() && records[i + 1].id == rec::kContinue) ++i;
        continue;
      case rec::kExtSst:
        if (strings_written) continue;  // rewritten along with the table
        break;
      case rec::kBoundSheet:
        for (std::size_t s = 0; s < state.sheets.size(); ++s) {
          if (state.sheets[s].record == i)
            sheet_fields[s] = out.size() + kRecordHeaderSize + BoundSheetRecord::kPositionAt;
        }
        break;
      case rec::kRecalcId:
        if (auto recalc = RecalcIdRecord::parse(record.data)) {
          // An engine build below the application's makes it recalculate every formula on load.
          recalc->engine_build = 0;
          append_record(out, record.id, recalc->emit());
          continue;
        }
        break;
      case rec::kEof:
        if (i + 1 == records.size() && !strings_written) {
          write_strings(out, strings);
          strings_written = true;
        }
        break;
      default:
        break;
    }
    append_record(out, record.id, record.data);
  }
  return sheet_fields;
}

// An unchanged sheet, copied whole; only its INDEX moves along with it.
void copy_sheet(std::string& out, const Workbook::State& state, const Substream& sheet,
                const Substream* next) {
  const std::size_t begin = sheet.offset;
  const std::size_t end = next ? next->offset : state.stream.size() - state.records.tail.size();
  const std::size_t at = out.size();
  out.append(state.stream, begin, end - begin);
  const std::uint32_t shift = static_cast<std::uint32_t>(at) - static_cast<std::uint32_t>(begin);
  const auto moved = [shift](std::uint32_t& position) {
    if (position != 0) position += shift;
  };
  for (std::size_t i = 0; i < sheet.records.size(); ++i) {
    const Record& record = sheet.records[i];
    if (record.id != rec::kIndex || sheet.depth[i] != 1) continue;
    auto index = IndexRecord::parse(record.data);
    if (!index) continue;
    moved(index->default_width_at);
    for (std::uint32_t& position : index->dbcell_at) moved(position);
    const std::size_t header_at =
        at + (record.data.data() - state.stream.data() - begin) - kRecordHeaderSize;
    patch_record(out, header_at, index->emit());
  }
}

}  // namespace

std::string write_workbook_stream(const Workbook::State& state) {
  std::string out;
  out.reserve(state.stream.size() + state.stream.size() / 4 + 65536);
  const std::vector<std::size_t> sheet_fields = write_globals(out, state);

  const auto& sheets = state.records.sheets;
  std::vector<std::uint32_t> starts(sheets.size());
  for (std::size_t k = 0; k < sheets.size(); ++k) {
    starts[k] = static_cast<std::uint32_t>(out.size());
    if (const CellTable* table = state.written_table(k)) {
      table->write(out);
    } else {
      copy_sheet(out, state, sheets[k], k + 1 < sheets.size() ? &sheets[k + 1] : nullptr);
    }
  }
  for (std::size_t s = 0; s < state.sheets.size(); ++s) {
    if (sheet_fields[s] != std::string::npos && state.sheets[s].substream) {
      set_u32(out.data() + sheet_fields[s], starts[*state.sheets[s].substream]);
    }
  }

  // Zero padding after the last sheet is kept up to the stream's old length; anything else
  // there is kept as it was.
  const std::string_view tail = state.records.tail;
  if (std::all_of(tail.begin(), tail.end(), [](char c) { return c == 0; })) {
    if (out.size() < state.stream.size()) out.resize(state.stream.size(), '\0');
  } else {
    out.append(tail);
  }
  return out;
}

}  // namespace xls
