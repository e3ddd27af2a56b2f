#include "convert/capture_parser.h"

#include <array>
#include <initializer_list>
#include <limits>
#include <string>

#include "convert/control_bytes.h"
#include "convert/module1.h"
#include "platform/checked_int.h"

namespace schreiber::convert {
namespace {

enum class State { kOutsideBlock, kBlockOpen, kReadingLabel, kReadingField };

using ByteSet = std::array<bool, 256>;

constexpr ByteSet byte_set(std::initializer_list<char> members) {
  ByteSet set{};
  for (const char c : members) set[static_cast<unsigned char>(c)] = true;
  return set;
}

// Bytes that end a run of ignored bytes between blocks, and a run of label or field
// content inside a block.
constexpr ByteSet kEndsOutsideRun = byte_set({kDC1, kDC3});
constexpr ByteSet kEndsContentRun = byte_set({kSOH, kSTX, kDC1, kDC3});

// The index of the first byte at or after `from` that is in `stops`, or `size`.
std::size_t end_of_run(const unsigned char* bytes, std::size_t from, std::size_t size,
                       const ByteSet& stops) {
  while (from < size && !stops[bytes[from]]) ++from;
  return from;
}

}  // namespace

std::int16_t fill_block_table(std::string_view capture, BlockTable& table) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(capture.data());
  const std::size_t size = capture.size();

  // Every byte is examined once, in order, except the one after each DC3. Runs of plain
  // content are appended in one go; the result is the same as byte by byte.
  std::size_t next = 0;  // offset of the next byte to read
  std::int16_t block = 0;
  std::int32_t field = -1;
  State state = State::kOutsideBlock;
  std::string label;  // survives DC1 and DC3; only SOH empties it
  std::string* field_text = nullptr;

  while (next < size) {
    const char byte = static_cast<char>(bytes[next++]);
    if (byte == kDC3) {
      ++next;  // consumed unseen; reading past the end here is no error
      block = platform::add16(block, 1);
      table.ensure_row(block);
      field = -1;
      state = State::kOutsideBlock;
      continue;
    }
    if (byte == kDC1) {
      field = -1;
      state = State::kBlockOpen;
      continue;
    }
    if (state == State::kOutsideBlock) {
      next = end_of_run(bytes, next, size, kEndsOutsideRun);
      continue;
    }
    if (byte == kSOH) {
      label.clear();
      state = State::kReadingLabel;
      continue;
    }
    if (byte == kSTX) {
      field = platform::add32(field, 1);
      field_text = &table.element(block, field);
      field_text->assign(label);
      field_text->push_back(kSTX);
      state = State::kReadingField;
      continue;
    }
    const std::size_t start = next - 1;
    next = end_of_run(bytes, next, size, kEndsContentRun);
    const std::string_view run = capture.substr(start, next - start);
    if (state == State::kReadingLabel) {
      label.append(run);
    } else if (state == State::kReadingField) {
      field_text->append(run);
    }
  }

  // Record numbers are 32-bit: the read that finds the end must still be numbered.
  if (next >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    platform::raise_overflow();
  }
  return block;
}

std::int32_t max_stx_count_of(std::string_view capture) {
  std::int32_t stx_count = 0;
  std::int32_t max_stx_count = 0;
  for (const char byte : capture) {
    if (byte == kDC4) break;  // the capture ends there
    if (byte == kSTX) {
      stx_count = platform::add32(stx_count, 1);
    } else if (byte == kDC3 && max_stx_count < stx_count) {
      max_stx_count = stx_count;
    }
  }
  return max_stx_count;
}

void Module1::ConvertCaptureFile() {
  BlockTable = convert::BlockTable(MaxStxCount);
  std::int16_t blocks_closed = 0;
  {
    const std::string capture = context_.files.read_or_create(context_.folder / kCaptureFileName);
    if (capture.size() < kMinimumCaptureSize) return;
    blocks_closed = fill_block_table(capture, BlockTable);
  }  // the capture's bytes are no longer needed

  const std::int16_t last_block = static_cast<std::int16_t>(blocks_closed - 1);
  ProcessBlocks(last_block);

  context_.display.Label4_SetVisible(false);
  context_.display.Label4_Refresh();
  if (ExcelStarted) {
    if (!ExcelApp) platform::raise_failure(platform::kObjectVariableNotSet);
    ExcelApp->Quit();
  }
  ExcelApp.reset();
  context_.end_program(platform::kExitNormal);
}

}  // namespace schreiber::convert
