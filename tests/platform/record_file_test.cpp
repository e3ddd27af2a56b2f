// The capture file's records on a POSIX file system: records written one after the other
// wait in memory and reach the file in one write at the flush; a refused write is reported
// there, not lost.

#include <gtest/gtest.h>

#include <string>

#include "platform/failure.h"
#include "platform/files.h"
#include "support/failure_number.h"
#include "support/temp_folder.h"

namespace schreiber::testing {
namespace {

TEST(RecordFile, RecordNIsTheByteAtOffsetNMinusOneOnceFlushed) {
  TempFolder folder;
  platform::DiskFiles files;
  const auto path = folder / "Schreiber.txt";
  write_file(path, "old content that is longer");
  auto capture = files.create_record_file(path);
  capture->write(3, 'c');  // out of order and with a gap: each run is handed over alone
  capture->write(1, 'a');
  capture->write(2, 'b');
  capture->write(5, 'e');
  capture->flush();
  EXPECT_EQ(read_file(path), std::string("abc\0e", 5));
  capture->write(6, 'f');
  capture->close();
  capture->close();
  EXPECT_EQ(read_file(path), std::string("abc\0ef", 6));
  EXPECT_EQ(failure_number_of([&] { capture->write(7, 'g'); }), 52);
}

TEST(RecordFile, AWriteTheDeviceRefusesFailsTheFlushAndTheClose) {
  platform::DiskFiles files;
  for (const bool by_close : {false, true}) {
    SCOPED_TRACE(by_close);
    auto full = files.create_record_file("/dev/full");  // every write: no space left
    full->write(1, 'a');
    full->write(2, 'b');
    if (!by_close) {
      EXPECT_EQ(failure_number_of([&] { full->flush(); }), 61);
    }
    EXPECT_EQ(failure_number_of([&] { full->close(); }), by_close ? 61 : 0);
  }
}

}  // namespace
}  // namespace schreiber::testing
