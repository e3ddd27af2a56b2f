#pragma once
// The file operations of the engine behind one seam, so that tests can make any of them
// fail. save_atomically() writes beside the target and renames over it: a crash or a full
// disk never leaves a half-written workbook, and a failed save leaves the old file as it was.
// A save also removes what crashed saves left in the folder.

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
  // `path` in write, flush and close: the file a failure names.
  virtual void write(Handle file, std::string_view bytes,
                     const std::filesystem::path& path) const = 0;
  virtual void flush(Handle file, const std::filesystem::path& path) const = 0;
  virtual void close(Handle file, const std::filesystem::path& path) const = 0;
  virtual void replace(const std::filesystem::path& from,
                       const std::filesystem::path& to) const = 0;
  virtual void remove(const std::filesystem::path& path) const noexcept = 0;
  // Removes the temporary files of saves whose process is gone (the leftovers of a crash)
  // from `folder`; never any other file.
  virtual void remove_leftovers(const std::filesystem::path& folder) const noexcept = 0;
  // Makes a rename in the folder durable (a no-op where renames are durable already).
  virtual void flush_folder(const std::filesystem::path& folder) const noexcept = 0;
};

// The operating system's files.
const FileSystem& native_file_system();

// A name for a new file in the folder of `target`, of the form of the save's temporary
// files: when a crash leaves it behind, a later save into the folder removes it.
std::filesystem::path temporary_beside(const std::filesystem::path& target);

void save_atomically(const FileSystem& files, const std::filesystem::path& target,
                     std::string_view bytes);

}  // namespace xls
