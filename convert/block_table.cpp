#include "convert/block_table.h"

#include "platform/failure.h"

namespace schreiber::convert {
namespace {

const std::string kEmpty;

}  // namespace

BlockTable::BlockTable(std::int32_t field_bound) : field_bound_(field_bound), rows_(1) {}

void BlockTable::ensure_row(std::int32_t block) {
  if (block < 0) check_subscripts(block, 0);
  if (block > block_bound()) rows_.resize(static_cast<std::size_t>(block) + 1);
}

void BlockTable::check_subscripts(std::int32_t block, std::int32_t field) const {
  if (block < 0 || block > block_bound() || field < 0) {
    platform::raise_failure(platform::kSubscriptOutOfRange);
  }
}

const std::string& BlockTable::at(std::int32_t block, std::int32_t field) const {
  check_subscripts(block, field);
  const auto& row = rows_[static_cast<std::size_t>(block)];
  const auto index = static_cast<std::size_t>(field);
  return index < row.size() ? row[index] : kEmpty;
}

std::string& BlockTable::element(std::int32_t block, std::int32_t field) {
  check_subscripts(block, field);
  auto& row = rows_[static_cast<std::size_t>(block)];
  const auto index = static_cast<std::size_t>(field);
  if (index >= row.size()) row.resize(index + 1);
  return row[index];
}

std::int32_t BlockTable::stored_fields(std::int32_t block) const {
  check_subscripts(block, 0);
  return static_cast<std::int32_t>(rows_[static_cast<std::size_t>(block)].size());
}

}  // namespace schreiber::convert
