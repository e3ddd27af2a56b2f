#pragma once
// The BIFF8 record stream of a workbook, split into the globals substream and one
// substream per sheet. Records are views into the stream's bytes, which the owner keeps.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

struct Record {
  std::uint16_t id = 0;
  std::string_view data;
};

struct Substream {
  std::uint32_t offset = 0;         // position of its BOF in the stream it was read from
  std::uint16_t type = 0;           // the BOF's substream type
  std::vector<Record> records;      // BOF to the matching EOF, embedded substreams included
  std::vector<std::uint8_t> depth;  // per record: 1 for the substream's own, more when embedded
};

struct RecordStream {
  Substream globals;
  std::vector<Substream> sheets;  // in stream order
  std::string_view tail;          // bytes after the last substream (often zero padding)
};

// Throws Error for a stream that is not BIFF8, is encrypted, or whose records run past
// its end or lack their end-of-file records.
RecordStream parse_record_stream(std::string_view stream);

// Every record starts with its id and the length of its body, 16 bits each.
inline constexpr std::size_t kRecordHeaderSize = 4;

// Appends a record with its header.
void append_record(std::string& out, std::uint16_t id, std::string_view data);

// Overwrites the start of the body of the record whose header begins at `record_at`: for a
// record written before what it describes (INDEX), once that is known. `data` must fit.
void patch_record(std::string& out, std::size_t record_at, std::string_view data);

}  // namespace xls
