#pragma once
// BlockTable: the captured blocks and their fields, indexed (block, field) from 0.
//
// The table's nominal field bound is the STX count of the whole capture, so a full
// rectangle would hold (blocks x fields-of-the-whole-capture) strings: far too many for
// a large download. It therefore stores only the elements that were written; every
// other element inside the table reads as empty. A row exists for every block index
// the parser has reached. Texts are code-page bytes, one captured byte per char.

#include <cstdint>
#include <string>
#include <vector>

namespace schreiber::convert {

class BlockTable {
 public:
  // A table with row 0 only, every element empty, fields 0..field_bound.
  explicit BlockTable(std::int32_t field_bound = 0);

  // The upper field bound: the last field index a reader walks to.
  std::int32_t field_bound() const { return field_bound_; }
  // The last row index.
  std::int32_t block_bound() const { return static_cast<std::int32_t>(rows_.size()) - 1; }

  // Makes rows 0..block exist.
  void ensure_row(std::int32_t block);

  // Element (block, field); empty when never written. Fails with "Subscript out of range"
  // for a row that does not exist or a negative field.
  const std::string& at(std::int32_t block, std::int32_t field) const;
  // The element for writing; same bounds as at(). Fields beyond the bound are kept.
  std::string& element(std::int32_t block, std::int32_t field);

  // How many fields of the row are stored: one more than the highest written field.
  std::int32_t stored_fields(std::int32_t block) const;

 private:
  void check_subscripts(std::int32_t block, std::int32_t field) const;

  std::int32_t field_bound_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace schreiber::convert
