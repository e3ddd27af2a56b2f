#pragma once
// The file operations of the window and the conversion, behind one seam: production uses
// the real file system, tests can swap in one that fails where a real disk will not
// (a full disk, a read-only folder while running as root).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace schreiber::platform {

// The text before the first line end: CR, LF or CR LF.
std::string first_line_of(std::string_view content);

// A file of 1-byte records, written as the bytes arrive. A write may wait in memory until
// flush(), so that a run of records reaches the operating system in one call; close()
// hands over what waits and flushes it all to the disk.
class RecordFile {
 public:
  virtual ~RecordFile() = default;
  // Stores byte as record number `record` (counting from 1). Throws Failure.
  virtual void write(std::int32_t record, std::uint8_t byte) = 0;
  // Hands every record written so far to the operating system. Throws Failure.
  virtual void flush() {}
  // Flushes and closes; a second call does nothing. Throws Failure when the flush fails.
  virtual void close() = 0;
};

class Files {
 public:
  virtual ~Files() = default;
  // Deletes a file; false when it could not (above all: it did not exist).
  virtual bool remove(const std::filesystem::path& path) = 0;
  // Creates the file anew (empty) for record writes. Throws Failure.
  virtual std::unique_ptr<RecordFile> create_record_file(const std::filesystem::path& path) = 0;
  // The first line without its line end (CR, LF or CR LF); nothing when the file is
  // missing, unreadable or empty.
  virtual std::optional<std::string> read_first_line(const std::filesystem::path& path) = 0;
  // Creates the file anew with exactly these bytes. Throws Failure.
  virtual void write_text(const std::filesystem::path& path, const std::string& bytes) = 0;
  // The whole content; a missing file is created empty first. Throws Failure.
  virtual std::string read_or_create(const std::filesystem::path& path) = 0;
};

// The real file system.
class DiskFiles : public Files {
 public:
  bool remove(const std::filesystem::path& path) override;
  std::unique_ptr<RecordFile> create_record_file(const std::filesystem::path& path) override;
  std::optional<std::string> read_first_line(const std::filesystem::path& path) override;
  void write_text(const std::filesystem::path& path, const std::string& bytes) override;
  std::string read_or_create(const std::filesystem::path& path) override;
};

}  // namespace schreiber::platform
