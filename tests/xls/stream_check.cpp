#include "stream_check.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace xls_test {

namespace {

std::uint16_t u16(std::string_view s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                    (static_cast<unsigned char>(s[at + 1]) << 8));
}
std::uint32_t u32(std::string_view s, std::size_t at) {
  return u16(s, at) | (std::uint32_t{u16(s, at + 2)} << 16);
}

struct Rec {
  std::size_t at;  // of its header
  std::uint16_t id;
  std::string_view body;
};

bool is_cell(std::uint16_t id) {
  switch (id) {
    case 0x0006:
    case 0x00BD:
    case 0x00BE:
    case 0x00D6:
    case 0x00FD:
    case 0x0201:
    case 0x0203:
    case 0x0204:
    case 0x0205:
    case 0x027E:
      return true;
    default:
      return false;
  }
}

// The strings of the SST record at records[i] and its CONTINUE records, following the rules
// for splitting them: a header never split, character data resumed after a flags byte.
void check_strings(const std::vector<Rec>& records, std::size_t i, std::size_t labels,
                   Report& report) {
  std::vector<std::size_t> parts{i};
  while (parts.back() + 1 < records.size() && records[parts.back() + 1].id == 0x003C)
    parts.push_back(parts.back() + 1);
  std::size_t part = 0, offset = 8;
  const auto body = [&]() { return records[parts[part]].body; };
  const auto room = [&]() { return body().size() - offset; };
  const std::uint32_t total = u32(body(), 0), unique = u32(body(), 4);
  if (total != labels)
    report.problems.push_back("SST counts " + std::to_string(total) + " references, sheets hold " +
                              std::to_string(labels));
  for (std::uint32_t k = 0; k < unique; ++k) {
    if (room() == 0 && part + 1 < parts.size()) ++part, offset = 0;
    if (room() < 3) {
      report.problems.push_back("string " + std::to_string(k) + ": header split or missing");
      return;
    }
    report.string_starts.insert(records[parts[part]].at + 4 + offset);
    const std::uint16_t count = u16(body(), offset);
    std::uint8_t flags = static_cast<std::uint8_t>(body()[offset + 2]);
    offset += 3;
    std::size_t extra = 0;
    if (flags & 0x08) extra += 4u * u16(body(), offset), offset += 2;
    if (flags & 0x04) extra += u32(body(), offset), offset += 4;
    if (offset > body().size()) {
      report.problems.push_back("string " + std::to_string(k) + ": header split");
      return;
    }
    std::u16string text;
    for (std::size_t left = count; left > 0;) {
      if (room() == 0) {
        if (++part >= parts.size()) return report.problems.push_back("SST ends inside a string");
        offset = 1;
        flags = static_cast<std::uint8_t>(body()[0]);
        if (flags > 1)
          report.problems.push_back("CONTINUE resumes characters without a flags byte");
      }
      const std::size_t width = (flags & 1) ? 2 : 1;
      const std::size_t take = std::min(left, room() / width);
      if (take == 0) return report.problems.push_back("a character split over a CONTINUE boundary");
      for (std::size_t c = 0; c < take; ++c) {
        text.push_back(width == 2 ? u16(body(), offset + 2 * c)
                                  : static_cast<unsigned char>(body()[offset + c]));
      }
      offset += take * width, left -= take;
    }
    report.strings.push_back(text);
    while (extra > 0) {
      if (room() == 0 && ++part < parts.size()) offset = 0;
      if (part >= parts.size()) return report.problems.push_back("SST ends inside formatting runs");
      const std::size_t take = std::min(extra, room());
      offset += take, extra -= take;
    }
  }
}

void check_sheet(const std::vector<Rec>& records, std::size_t begin, std::size_t end,
                 Report& report) {
  std::set<std::size_t> starts, dbcells;
  std::map<std::size_t, std::uint16_t> id_at;
  for (std::size_t i = begin; i < end; ++i)
    id_at[records[i].at] = records[i].id, starts.insert(records[i].at);
  std::uint32_t last_key = 0;
  bool any = false;
  std::uint32_t min_row = UINT32_MAX, max_row = 0, min_col = UINT32_MAX, max_col = 0;
  int depth = 0;
  const std::string name = "sheet at " + std::to_string(records[begin].at) + ": ";
  for (std::size_t i = begin; i < end; ++i) {
    const Rec& r = records[i];
    if (r.id == 0x0809) ++depth;
    if (r.id == 0x000A) --depth;
    if (depth != 1) continue;
    if (is_cell(r.id)) {
      const std::uint32_t row = u16(r.body, 0), col = u16(r.body, 2);
      std::uint32_t last_col = col;
      if (r.id == 0x00BD || r.id == 0x00BE) last_col = u16(r.body, r.body.size() - 2);
      const std::uint32_t key = row << 8 | col;
      if (any && key <= last_key)
        report.problems.push_back(name + "cells out of order at row " + std::to_string(row + 1));
      any = true, last_key = row << 8 | last_col;
      min_row = std::min(min_row, row), max_row = std::max(max_row, row);
      min_col = std::min(min_col, col), max_col = std::max(max_col, last_col);
    } else if (r.id == 0x00D7) {
      dbcells.insert(r.at);
      const std::uint32_t back = u32(r.body, 0);
      const std::size_t first_row = r.at - back;
      if (back == 0 || id_at.count(first_row) == 0 || id_at[first_row] != 0x0208) {
        report.problems.push_back(name + "DBCELL does not point back to a ROW record");
        continue;
      }
      std::size_t cell = first_row + 20;
      for (std::size_t k = 4; k + 2 <= r.body.size(); k += 2) {
        cell += u16(r.body, k);
        // A row without cells points where the next row's cells begin (or at the DBCELL).
        if (cell != r.at && (!starts.count(cell) || !is_cell(id_at[cell]))) {
          report.problems.push_back(name + "DBCELL offset misses a cell");
        }
      }
    }
  }
  for (std::size_t i = begin; i < end; ++i) {
    const Rec& r = records[i];
    if (r.id == 0x020B && r.body.size() >= 16) {
      std::set<std::size_t> listed;
      for (std::size_t k = 16; k + 4 <= r.body.size(); k += 4) listed.insert(u32(r.body, k));
      if (listed != dbcells)
        report.problems.push_back(name + "INDEX does not list its DBCELL records");
      const std::uint32_t width_at = u32(r.body, 12);
      if (width_at != 0 && (!id_at.count(width_at) || id_at[width_at] != 0x0055)) {
        report.problems.push_back(name + "INDEX does not point at DEFCOLWIDTH");
      }
    } else if (r.id == 0x0200 && r.body.size() >= 14 && any) {
      if (u32(r.body, 0) > min_row || u32(r.body, 4) <= max_row || u16(r.body, 8) > min_col ||
          u16(r.body, 10) <= max_col) {
        report.problems.push_back(name + "DIMENSIONS do not cover every cell");
      }
    }
  }
}

}  // namespace

Report check_stream(std::string_view stream) {
  Report report;
  std::vector<Rec> records;
  for (std::size_t at = 0; at + 4 <= stream.size();) {
    const std::uint16_t id = u16(stream, at), length = u16(stream, at + 2);
    if (id == 0 && length == 0) break;  // padding
    if (at + 4 + length > stream.size()) {
      report.problems.push_back("a record runs past the end");
      return report;
    }
    records.push_back({at, id, stream.substr(at + 4, length)});
    ++report.record_counts[id];
    at += 4 + length;
  }
  std::map<std::size_t, std::size_t> index_of;
  for (std::size_t i = 0; i < records.size(); ++i) index_of[records[i].at] = i;
  std::size_t labels = 0;
  for (const Rec& r : records) labels += r.id == 0x00FD;
  std::size_t globals_end = 0;
  while (globals_end < records.size() && records[globals_end].id != 0x000A) ++globals_end;
  for (std::size_t i = 0; i < globals_end; ++i) {
    const Rec& r = records[i];
    if (r.id == 0x0085) {
      const std::uint32_t at = u32(r.body, 0);
      if (!index_of.count(at) || records[index_of[at]].id != 0x0809) {
        report.problems.push_back("BOUNDSHEET does not point at a BOF");
        continue;
      }
      std::size_t end = index_of[at];
      for (int depth = 0;; ++end) {
        if (end >= records.size()) break;
        depth += records[end].id == 0x0809;
        depth -= records[end].id == 0x000A;
        if (depth == 0) break;
      }
      report.sheet_offsets.push_back(at);
      check_sheet(records, index_of[at], std::min(end + 1, records.size()), report);
    } else if (r.id == 0x00FC) {
      check_strings(records, i, labels, report);
    } else if (r.id == 0x01C1 && r.body.size() >= 8) {
      report.recalc_engine = u32(r.body, 4);
    }
  }
  for (std::size_t i = 0; i < globals_end; ++i) {
    if (records[i].id != 0x00FF) continue;
    const std::string_view body = records[i].body;
    for (std::size_t k = 2; k + 8 <= body.size(); k += 8) {
      const std::uint32_t at = u32(body, k);
      const std::uint16_t within = u16(body, k + 4);
      if (!report.string_starts.count(at) || !index_of.count(at - within)) {
        report.problems.push_back("EXTSST does not point at a string");
      }
    }
  }
  return report;
}

}  // namespace xls_test
