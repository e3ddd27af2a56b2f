#pragma once
// The file operations of the engine behind one seam, so that tests can make any of them
// fail. save_atomically() writes beside the target and renames over it: a crash or a full
// disk never leaves a half-written workbook, and a failed save leaves the old file as it was.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace xls {

class FileSystem {
 public:
  using Handle = std::intptr_t;

  virtual ~FileSystem() = default;
  // Every operation throws Error with a description naming the file.
  virtual std::string read_file(const std::filesystem::path& path) const = 0;
  virtual bool exists(const std::filesystem::path& path) const = 0;
  // A new, empty, uniquely named file in the folder of `target`.
  virtual Handle create_beside(const std::filesystem::path& target,
                               std::filesystem::path& created) const = 0;
  virtual void write(Handle file, std::string_view bytes,
                     const std::filesystem::path& path) const = 0;
  virtual void flush(Handle file, const std::filesystem::path& path) const = 0;
  virtual void close(Handle file, const std::filesystem::path& path) const = 0;
  virtual void replace(const std::filesystem::path& from,
                       const std::filesystem::path& to) const = 0;
  virtual void remove(const std::filesystem::path& path) const noexcept = 0;
  // Makes a rename in the folder durable (a no-op where renames are durable already).
  virtual void flush_folder(const std::filesystem::path& folder) const noexcept = 0;
};

// The operating system's files.
const FileSystem& native_file_system();

void save_atomically(const FileSystem& files, const std::filesystem::path& target,
                     std::string_view bytes);

}  // namespace xls
