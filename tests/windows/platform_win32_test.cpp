// The platform layer on Windows: the ANSI code page byte by byte, names through the wide
// file calls, the record file, and the failure numbers of the file calls.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "automation/file_system_object.h"
#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/text_win32.h"
#include "platform/win32_api.h"
#include "support/failure_number.h"
#include "support/skip_or_fail.h"
#include "support/temp_folder.h"

namespace schreiber {
namespace {

using testing::failure_number_of;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

TEST(CodePage, EveryByteComesBackFromItsCharacter) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::u16string text = platform::codepage_to_utf16(byte);
    ASSERT_EQ(text.size(), 1u) << b;
    EXPECT_EQ(platform::utf16_to_codepage(text), byte) << b;
    EXPECT_EQ(platform::utf8_to_codepage(platform::codepage_to_utf8(byte)), byte) << b;
  }
}

TEST(CodePage, BytesAreTheCharactersOfTheAnsiCodePage) {
  if (GetACP() != 1252)
    SCHREIBER_SKIP_OR_FAIL("the expected characters are those of code page 1252");
  EXPECT_EQ(platform::codepage_to_unicode(0x80), U'\u20AC');
  EXPECT_EQ(platform::codepage_to_unicode(0xFC), U'\u00FC');
  EXPECT_EQ(platform::codepage_to_unicode(0x9F), U'\u0178');
  EXPECT_EQ(platform::codepage_to_unicode(0x41), U'A');
  // A character outside the code page, one from outside the basic plane included, is '?'.
  EXPECT_EQ(platform::utf8_to_codepage("\xC3\xBC\xE2\x82\xAC\xE2\x86\x92\xF0\x9F\x98\x80!"),
            "\xFC\x80?"
            "?!");
  EXPECT_EQ(platform::wide_to_codepage(L"Datei wird \u00fcbertragen"),
            "Datei wird \xFC"
            "bertragen");
}

TEST(CodePage, FileNamesReachTheFileSystemAsTheirCharacters) {
  if (GetACP() != 1252)
    SCHREIBER_SKIP_OR_FAIL("the expected characters are those of code page 1252");
  TempFolder folder;
  platform::DiskFiles files;
  const std::string name =
      "K\xFC"
      "hlung_\x80.xls";
  files.write_text(folder.path() / platform::codepage_to_file_name(name), "x");
  std::vector<std::wstring> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    found.push_back(entry.path().filename().native());
  }
  EXPECT_EQ(found, std::vector<std::wstring>{L"K\u00fchlung_\u20ac.xls"});
}

TEST(RecordFile, RecordNIsTheByteAtOffsetNMinusOne) {
  TempFolder folder;
  platform::DiskFiles files;
  const auto path = folder / "Schreiber.txt";
  write_file(path, "old content that is longer");
  auto capture = files.create_record_file(path);
  capture->write(3, 'c');
  capture->write(1, 'a');
  capture->write(2, 'b');
  capture->write(5, 'e');
  // Written records reach the system at once, before the close.
  EXPECT_EQ(read_file(path), std::string("abc\0e", 5));
  capture->close();
  capture->close();
  EXPECT_EQ(read_file(path), std::string("abc\0e", 5));
  EXPECT_EQ(failure_number_of([&] { capture->write(6, 'f'); }), 52);
}

TEST(TextFiles, FirstLineWithoutItsLineEndAndNothingForMissingOrEmpty) {
  TempFolder folder;
  platform::DiskFiles files;
  write_file(folder / "PORT.ini", "3\r\n7\r\n");
  EXPECT_EQ(files.read_first_line(folder / "PORT.ini"), "3");
  write_file(folder / "empty.ini", "");
  EXPECT_EQ(files.read_first_line(folder / "empty.ini"), std::nullopt);
  EXPECT_EQ(files.read_first_line(folder / "missing.ini"), std::nullopt);

  files.write_text(folder / "PORT.ini", "8\r\n");
  EXPECT_EQ(read_file(folder / "PORT.ini"), "8\r\n");
  EXPECT_EQ(files.read_or_create(folder / "new.txt"), "");
  EXPECT_TRUE(std::filesystem::exists(folder / "new.txt"));
  EXPECT_TRUE(files.remove(folder / "new.txt"));
  EXPECT_FALSE(files.remove(folder / "new.txt"));
}

TEST(FileFailures, CarryTheNumbersOfTheAutomationLayer) {
  TempFolder folder;
  platform::DiskFiles files;
  write_file(folder / "locked.txt", "keep");
  // Held open by someone else without sharing.
  HANDLE holder = CreateFileW((folder / "locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const struct {
    const char* what;
    std::function<void()> action;
    int number;
  } cases[] = {
      {"record file in a missing folder",
       [&] { files.create_record_file(folder / "none" / "Schreiber.txt"); },
       platform::kPathNotFound},
      {"text over a file held open", [&] { files.write_text(folder / "locked.txt", "x"); },
       platform::kPermissionDenied},
      {"read or create in a missing folder",
       [&] { files.read_or_create(folder / "none" / "a.txt"); }, platform::kPathNotFound},
  };
  for (const auto& c : cases) EXPECT_EQ(failure_number_of(c.action), c.number) << c.what;
  CloseHandle(holder);
  EXPECT_EQ(read_file(folder / "locked.txt"), "keep");
}

TEST(Rename, NeverReplacesAndNamesWhatIsMissing) {
  TempFolder folder;
  write_file(folder / "1.xls", "template");
  write_file(folder / "a.xls", "earlier workbook");
  EXPECT_EQ(failure_number_of(
                [&] { automation::rename_without_replacing(folder / "1.xls", folder / "a.xls"); }),
            platform::kFileAlreadyExists);
  EXPECT_EQ(read_file(folder / "a.xls"), "earlier workbook");
  EXPECT_EQ(read_file(folder / "1.xls"), "template");
  EXPECT_EQ(failure_number_of(
                [&] { automation::rename_without_replacing(folder / "2.xls", folder / "b.xls"); }),
            platform::kFileNotFound);
  EXPECT_EQ(failure_number_of([&] {
              automation::rename_without_replacing(folder / "1.xls", folder / "none" / "b.xls");
            }),
            platform::kPathNotFound);

  automation::rename_without_replacing(folder / "1.xls", folder / "b.xls");
  EXPECT_EQ(read_file(folder / "b.xls"), "template");
  EXPECT_FALSE(std::filesystem::exists(folder / "1.xls"));
}

}  // namespace
}  // namespace schreiber
