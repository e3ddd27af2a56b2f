#include "xls/record_stream.h"

#include <cassert>
#include <cstring>

#include "xls/error.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"
#include "xls/workbook_records.h"

namespace xls {

namespace {

class RecordCursor {
 public:
  explicit RecordCursor(std::string_view stream) : stream_(stream) {}

  bool at_end() const { return pos_ >= stream_.size(); }
  std::size_t position() const { return pos_; }

  std::uint16_t peek_id() const {
    return stream_.size() - pos_ >= kRecordHeaderSize ? get_u16(stream_.data() + pos_) : 0;
  }

  Record next() {
    if (stream_.size() - pos_ < kRecordHeaderSize) {
      throw Error(ErrorKind::unreadable, "its record at offset " + std::to_string(pos_) +
                                             " runs past the end of the stream");
    }
    Record record;
    record.id = get_u16(stream_.data() + pos_);
    const std::uint16_t length = get_u16(stream_.data() + pos_ + 2);
    if (stream_.size() - pos_ - kRecordHeaderSize < length) {
      throw Error(ErrorKind::unreadable, "its record at offset " + std::to_string(pos_) +
                                             " runs past the end of the stream");
    }
    record.data = stream_.substr(pos_ + kRecordHeaderSize, length);
    pos_ += kRecordHeaderSize + length;
    return record;
  }

 private:
  std::string_view stream_;
  std::size_t pos_ = 0;
};

void check_bof_version(const Record& bof) {
  if (bof.id == rec::kBofBiff2 || bof.id == rec::kBofBiff3 || bof.id == rec::kBofBiff4) {
    throw Error(ErrorKind::unreadable,
                "it is in an old format (BIFF4 or earlier), not Excel 97-2003 (BIFF8)");
  }
  const auto record = bof.id == rec::kBof ? BofRecord::parse(bof.data) : std::nullopt;
  if (!record) {
    throw Error(ErrorKind::unreadable, "its workbook stream does not begin with a BOF record");
  }
  if (record->version != BofRecord::kBiff8) {
    throw Error(ErrorKind::unreadable,
                record->version == BofRecord::kBiff5
                    ? "it is in the old Excel 5.0/95 format (BIFF5), not BIFF8"
                    : "its BOF record names an unknown version of the format");
  }
}

// Reads records from a BOF to its matching EOF.
Substream read_substream(RecordCursor& cursor) {
  Substream sub;
  sub.offset = static_cast<std::uint32_t>(cursor.position());
  int depth = 0;
  do {
    const Record record = cursor.next();
    if (record.id == rec::kBof) {
      ++depth;
      if (depth == 1) {
        const auto bof = BofRecord::parse(record.data);
        sub.type = bof ? bof->type : 0;
      }
    }
    sub.records.push_back(record);
    sub.depth.push_back(static_cast<std::uint8_t>(depth > 255 ? 255 : depth));
    if (record.id == rec::kEof) --depth;
    if (depth > 0 && cursor.at_end()) {
      throw Error(ErrorKind::unreadable,
                  "its record stream ends before the EOF record of the substream at offset " +
                      std::to_string(sub.offset));
    }
  } while (depth > 0);
  return sub;
}

}  // namespace

RecordStream parse_record_stream(std::string_view stream) {
  if (stream.size() > 0xFFFFFFFFu)
    throw Error(ErrorKind::unreadable, "its workbook stream is larger than 4 GB");
  RecordCursor cursor(stream);
  if (cursor.at_end()) throw Error(ErrorKind::unreadable, "its workbook stream is empty");
  {
    RecordCursor probe(stream);
    check_bof_version(probe.next());
  }
  RecordStream result;
  result.globals = read_substream(cursor);
  if (result.globals.type != BofRecord::kGlobals) {
    throw Error(ErrorKind::unreadable,
                "its workbook stream does not begin with the workbook globals");
  }
  for (const Record& record : result.globals.records) {
    if (record.id == rec::kFilePass) {
      throw Error(ErrorKind::unreadable,
                  "it is encrypted (protected with a password to open); the engine cannot read it");
    }
  }
  while (!cursor.at_end() && cursor.peek_id() == rec::kBof) {
    result.sheets.push_back(read_substream(cursor));
  }
  result.tail = stream.substr(cursor.position());
  return result;
}

void append_record(std::string& out, std::uint16_t id, std::string_view data) {
  char header[kRecordHeaderSize];
  set_u16(header, id);
  set_u16(header + 2, static_cast<std::uint16_t>(data.size()));
  out.append(header, kRecordHeaderSize);
  out.append(data);
}

void patch_record(std::string& out, std::size_t record_at, std::string_view data) {
  assert(record_at + kRecordHeaderSize + data.size() <= out.size());
  std::memcpy(out.data() + record_at + kRecordHeaderSize, data.data(), data.size());
}

}  // namespace xls
