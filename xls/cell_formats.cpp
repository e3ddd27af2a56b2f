#include "xls/cell_formats.h"

#include <algorithm>

#include "xls/builtin_number_formats.h"
#include "xls/error.h"
#include "xls/format_records.h"
#include "xls/office_crc.h"
#include "xls/record_ids.h"
#include "xls/workbook_records.h"

namespace xls {

namespace {

constexpr std::size_t kMaxCodeLength = 255;

std::uint32_t checksum(const std::vector<std::string_view>& xfs) {
  std::uint32_t crc = 0;
  for (const std::string_view xf : xfs) crc = office_crc(crc, xf);
  return crc;
}

}  // namespace

CellFormats::CellFormats(const std::vector<Record>& globals) {
  std::optional<std::uint16_t> default_xf;
  std::uint32_t highest = kFirstCustomFormat - 1;
  std::optional<std::uint32_t> checksum_read;
  for (std::size_t i = 0; i < globals.size(); ++i) {
    const Record& record = globals[i];
    const std::string_view data = record.data;
    switch (record.id) {
      case rec::kDateMode:
        date_1904_ = DateModeRecord::parse(data).from_1904();
        break;
      case rec::kFormat: {
        auto format = FormatRecord::parse(data);
        if (!format) break;
        by_code_.try_emplace(format->code, format->index);
        highest = std::max<std::uint32_t>(highest, format->index);
        codes_[format->index] = std::move(format->code);
        ++format_records_;
        formats_at_ = i + 1;
        break;
      }
      case rec::kXf: {
        const auto type = XfRecord::type_of(data);
        if (!default_xf && type && !(*type & XfRecord::kStyle))
          default_xf = static_cast<std::uint16_t>(xfs_.size());
        if (const auto number_format = XfRecord::number_format_of(data))
          highest = std::max<std::uint32_t>(highest, *number_format);
        if (!formats_at_) formats_at_ = i;
        xfs_.push_back(data);
        xfs_at_ = i + 1;
        break;
      }
      case rec::kXfCrc:
        if (const auto crc = XfCrcRecord::parse(data)) {
          checksum_at_ = i;
          checksum_record_ = data;
          checksum_read = crc->checksum;
          checksum_valid_ = crc->format_count == xfs_.size();
        }
        break;
      case rec::kXfExt:
        if (const auto ext = XfExtRecord::parse(data)) {
          exts_.try_emplace(ext->format, data);
          exts_at_ = i + 1;
        }
        break;
      default:
        break;
    }
  }
  // Extended formats are valid only while the checksum matches the formats they extend.
  checksum_valid_ = checksum_valid_ && checksum_read == checksum(xfs_);
  default_xf_ = default_xf.value_or(0);
  next_custom_ = static_cast<std::uint16_t>(std::min<std::uint32_t>(highest + 1, 0xFFFF));
}

std::u16string CellFormats::number_format(std::uint16_t xf) const {
  const auto index = xf < xfs_.size() ? XfRecord::number_format_of(xfs_[xf]) : std::nullopt;
  if (!index) return u"General";
  if (const auto found = codes_.find(*index); found != codes_.end()) return found->second;
  if (const auto builtin = builtin_number_format(*index)) return std::u16string(*builtin);
  return u"General";
}

bool CellFormats::quote_prefix(std::uint16_t xf) const {
  return xf < xfs_.size() && (XfRecord::type_of(xfs_[xf]).value_or(0) & XfRecord::kQuotePrefix);
}

bool CellFormats::locked(std::uint16_t xf) const {
  if (xf >= xfs_.size()) return true;
  return XfRecord::type_of(xfs_[xf]).value_or(XfRecord::kLocked) & XfRecord::kLocked;
}

std::uint16_t CellFormats::number_format_index(std::u16string_view code, bool& is_new) const {
  is_new = false;
  if (const auto builtin = fixed_builtin_index(code)) {
    // A workbook that redefines a built-in index gives it another meaning.
    const auto own = codes_.find(*builtin);
    if (own == codes_.end() || own->second == code) return *builtin;
  }
  if (const auto found = by_code_.find(std::u16string(code)); found != by_code_.end())
    return found->second;
  is_new = true;
  return next_custom_;
}

std::string CellFormats::identity(std::string_view xf, std::string_view ext) const {
  std::string key(xf);
  if (!ext.empty()) {
    XfExtRecord other = *XfExtRecord::parse(ext);
    other.format = 0;
    key += other.emit();
  }
  return key;
}

void CellFormats::index_existing() {
  if (existing_indexed_) return;
  for (std::size_t i = 0; i < xfs_.size(); ++i) {
    const auto cell_format = XfRecord::parse(xfs_[i]);
    if (!cell_format || cell_format->is_style()) continue;
    const auto ext = exts_.find(static_cast<std::uint16_t>(i));
    existing_.try_emplace(identity(xfs_[i], ext != exts_.end() ? ext->second : std::string_view{}),
                          static_cast<std::uint16_t>(i));
  }
  existing_indexed_ = true;
}

std::uint16_t CellFormats::format_for(std::uint16_t xf, std::u16string_view code,
                                      bool quote_prefix) {
  if (code.size() > kMaxCodeLength) {
    throw Error(ErrorKind::bad_value,
                "the number format is " + std::to_string(code.size()) +
                    " characters long; a number format has at most 255 characters");
  }
  if (code.empty() && quote_prefix == this->quote_prefix(xf)) return xf;
  const auto source = xf < xfs_.size() ? XfRecord::parse(xfs_[xf]) : std::nullopt;
  if (!source) {
    throw Error(ErrorKind::unreadable,
                "its cell format number " + std::to_string(xf) +
                    " is missing or malformed, so the cell's format cannot be changed");
  }
  const std::uint16_t old_index = source->number_format;
  bool new_code = false;
  const std::uint16_t index = code.empty() ? old_index : number_format_index(code, new_code);
  if (index == old_index && quote_prefix == this->quote_prefix(xf)) return xf;

  const std::uint64_t key = (std::uint64_t{xf} << 32) | (std::uint64_t{index} << 1) | quote_prefix;
  if (const auto found = clones_.find(key); found != clones_.end()) return found->second;

  XfRecord changed = *source;
  changed.type = static_cast<std::uint16_t>(quote_prefix ? changed.type | XfRecord::kQuotePrefix
                                                         : changed.type & ~XfRecord::kQuotePrefix);
  if (index != old_index) {
    changed.number_format = index;
    changed.used |= XfRecord::kUsesNumberFormat;
  }
  std::string clone = changed.emit();
  const auto source_ext = exts_.find(xf);
  const std::string_view ext = source_ext != exts_.end() ? source_ext->second : std::string_view{};
  index_existing();
  const std::string clone_identity = identity(clone, ext);
  if (const auto found = existing_.find(clone_identity); found != existing_.end()) {
    clones_.emplace(key, found->second);
    return found->second;
  }

  if (xfs_.size() >= kMaxCellFormats || !xfs_at_) {
    throw Error(ErrorKind::workbook_full, "the workbook already holds " +
                                              std::to_string(xfs_.size()) +
                                              " cell formats; a workbook holds at most 4050");
  }
  if (new_code && (format_records_ >= kMaxFormatRecords || next_custom_ == 0xFFFF)) {
    throw Error(ErrorKind::workbook_full, "the workbook already holds " +
                                              std::to_string(format_records_) +
                                              " number formats; a workbook holds at most 218");
  }
  if (new_code) {
    owned_.push_back(FormatRecord{index, std::u16string(code)}.emit());
    new_formats_.push_back(owned_.back());
    codes_[index] = std::u16string(code);
    by_code_.emplace(std::u16string(code), index);
    ++format_records_;
    ++next_custom_;
  }
  const auto clone_index = static_cast<std::uint16_t>(xfs_.size());
  owned_.push_back(std::move(clone));
  xfs_.push_back(owned_.back());
  new_xfs_.push_back(owned_.back());
  if (!ext.empty() && exts_at_) {
    XfExtRecord extension = *XfExtRecord::parse(ext);
    extension.format = clone_index;
    owned_.push_back(extension.emit());
    exts_.emplace(clone_index, owned_.back());
    new_exts_.push_back(owned_.back());
  }
  existing_.emplace(clone_identity, clone_index);
  clones_.emplace(key, clone_index);
  return clone_index;
}

void CellFormats::write_before(std::size_t index, std::string& out) const {
  if (index == formats_at_)
    for (const std::string_view body : new_formats_) append_record(out, rec::kFormat, body);
  if (index == xfs_at_)
    for (const std::string_view body : new_xfs_) append_record(out, rec::kXf, body);
  if (index == exts_at_)
    for (const std::string_view body : new_exts_) append_record(out, rec::kXfExt, body);
}

std::optional<std::string> CellFormats::replacement(std::size_t index) const {
  if (index != checksum_at_ || !checksum_valid_ || new_xfs_.empty()) return std::nullopt;
  XfCrcRecord crc = *XfCrcRecord::parse(checksum_record_);
  crc.format_count = static_cast<std::uint16_t>(xfs_.size());
  crc.checksum = checksum(xfs_);
  return crc.emit();
}

}  // namespace xls
