#include "xls/formula/workbook_names.h"

#include <algorithm>

#include "xls/biff_string.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"
#include "xls/text.h"

namespace xls::formula {

namespace {

// SUPBOOK's second field, where an external workbook has the length of its path.
constexpr std::uint16_t kSelfMarker = 0x0401;
constexpr std::uint16_t kAddInMarker = 0x3A01;
// EXTERNSHEET's sheet fields: the whole workbook (names), or a sheet that is gone.
constexpr std::int16_t kWorkbookLevel = -2;
constexpr std::uint16_t kNameBuiltIn = 0x0020;
constexpr std::uint16_t kNameFunction = 0x0002;
// Entries one EXTERNSHEET record (with its CONTINUE records) can hold and stay readable by
// every reader: the application never writes more.
constexpr std::size_t kMaxEntries = 1370;

constexpr std::u16string_view kBuiltInNames[] = {
    u"Consolidate_Area", u"Auto_Open",       u"Auto_Close",   u"Extract",        u"Database",
    u"Criteria",         u"Print_Area",      u"Print_Titles", u"Recorder",       u"Data_Form",
    u"Auto_Activate",    u"Auto_Deactivate", u"Sheet_Title",  u"_FilterDatabase"};

// The file name in an external workbook's encoded path: what follows its last separator
// (a control character of the encoding, a slash or a backslash).
std::u16string file_of_path(std::u16string_view path) {
  std::size_t at = 0;
  for (std::size_t k = 0; k < path.size(); ++k) {
    const char16_t c = path[k];
    if (c < 0x20 || c == u'\\' || c == u'/') at = k + 1;
  }
  return std::u16string(path.substr(at));
}

bool read_supbook(std::string_view body, std::uint16_t& sheet_count, std::uint16_t& marker,
                  std::u16string& path, std::vector<std::u16string>& sheets) {
  if (body.size() < 4) return false;
  sheet_count = get_u16(body.data());
  marker = get_u16(body.data() + 2);
  if (marker == kSelfMarker || marker == kAddInMarker) return true;
  std::size_t pos = 2;
  if (!read_unicode_string(body, pos, false, path)) return false;
  for (std::uint16_t k = 0; k < sheet_count; ++k) {
    std::u16string sheet;
    if (!read_unicode_string(body, pos, false, sheet)) return false;
    sheets.push_back(std::move(sheet));
  }
  return true;
}

std::optional<ExternalName> read_external_name(std::string_view body, bool add_in) {
  std::size_t pos = 6;  // flags, then four bytes that add-in names leave zero
  std::u16string name;
  if (body.size() < pos + 2 || !read_unicode_string(body, pos, true, name)) return std::nullopt;
  return ExternalName{std::move(name), add_in};
}

std::optional<DefinedName> read_defined_name(std::string_view body) {
  constexpr std::size_t kNameAt = 14;
  if (body.size() < kNameAt + 1) return std::nullopt;
  const std::uint16_t flags = get_u16(body.data());
  const auto length = static_cast<std::uint8_t>(body[3]);
  const std::uint16_t token_size = get_u16(body.data() + 4);
  const std::uint16_t sheet = get_u16(body.data() + 8);
  const bool wide = body[kNameAt] & kHighByte;
  const std::size_t chars_at = kNameAt + 1;
  const std::size_t name_size = static_cast<std::size_t>(length) * (wide ? 2 : 1);
  if (body.size() < chars_at + name_size + token_size) return std::nullopt;
  DefinedName name;
  for (std::size_t k = 0; k < length; ++k) {
    name.name.push_back(wide
                            ? static_cast<char16_t>(get_u16(body.data() + chars_at + 2 * k))
                            : static_cast<char16_t>(static_cast<std::uint8_t>(body[chars_at + k])));
  }
  if ((flags & kNameBuiltIn) && name.name.size() == 1 && name.name[0] < std::size(kBuiltInNames)) {
    name.name = kBuiltInNames[name.name[0]];
  }
  if (sheet != 0) name.sheet = static_cast<std::uint16_t>(sheet - 1);
  name.function = flags & kNameFunction;
  const std::size_t tokens_at = chars_at + name_size;
  name.tokens = std::string(body.substr(tokens_at, token_size));
  name.extra = std::string(body.substr(tokens_at + token_size));
  return name;
}

void append_long_record(std::string& out, std::uint16_t id, std::string_view body) {
  // A record longer than one record holds continues in CONTINUE records.
  append_record(out, id, body.substr(0, std::min(body.size(), rec::kMaxRecordData)));
  for (std::size_t at = rec::kMaxRecordData; at < body.size(); at += rec::kMaxRecordData)
    append_record(out, rec::kContinue,
                  body.substr(at, std::min(body.size() - at, rec::kMaxRecordData)));
}

}  // namespace

WorkbookNames::WorkbookNames(const std::vector<Record>& globals,
                             std::vector<std::u16string> sheet_names)
    : sheet_names_(std::move(sheet_names)) {
  std::optional<std::size_t> externsheet_at, first_name;
  std::size_t last_sheet_entry = 0;
  for (std::size_t i = 0; i < globals.size(); ++i) {
    const Record& record = globals[i];
    switch (record.id) {
      case rec::kBoundSheet:
        last_sheet_entry = i;
        break;
      case rec::kSupBook: {
        if (!books_.empty()) books_.back().end = i;
        Book book;
        std::uint16_t count = 0, marker = 0;
        if (!read_supbook(record.data, count, marker, book.file, book.sheets)) {
          book.file.clear();
          book.sheets.clear();
        }
        book.kind = marker == kSelfMarker    ? BookKind::self
                    : marker == kAddInMarker ? BookKind::add_in
                                             : BookKind::external;
        book.file = file_of_path(book.file);
        book.body = std::string(record.data);
        books_.push_back(std::move(book));
        break;
      }
      case rec::kExternName:
        if (books_.empty()) break;
        books_.back().name_bodies.emplace_back(record.data);
        books_.back().names.push_back(
            read_external_name(record.data, books_.back().kind == BookKind::add_in)
                .value_or(ExternalName{}));
        books_.back().names_read = books_.back().names.size();
        break;
      case rec::kExternSheet: {
        if (externsheet_at) break;
        if (!books_.empty()) books_.back().end = i;
        std::string body(record.data);
        std::size_t k = i + 1;
        for (; k < globals.size() && globals[k].id == rec::kContinue; ++k) body += globals[k].data;
        const std::size_t count = body.size() >= 2 ? get_u16(body.data()) : 0;
        for (std::size_t e = 0; e < count && 2 + 6 * (e + 1) <= body.size(); ++e) {
          const char* at = body.data() + 2 + 6 * e;
          entries_.push_back({get_u16(at), static_cast<std::int16_t>(get_u16(at + 2)),
                              static_cast<std::int16_t>(get_u16(at + 4))});
        }
        externsheet_at = i;
        externsheet_records_ = k - i;
        break;
      }
      case rec::kName:
        if (!first_name) first_name = i;
        names_.push_back(read_defined_name(record.data).value_or(DefinedName{}));
        break;
      default:
        break;
    }
  }
  if (externsheet_at) {
    externsheet_at_ = *externsheet_at;
  } else if (first_name) {
    // Names come after the references.
    externsheet_at_ = *first_name;
  } else {
    // After the sheet list and the records that follow it there.
    std::size_t at = last_sheet_entry + 1;
    while (at < globals.size() &&
           (globals[at].id == rec::kCountry || globals[at].id == rec::kRecalcId)) {
      ++at;
    }
    externsheet_at_ = std::min(at, globals.empty() ? std::size_t{0} : globals.size() - 1);
  }
  if (!books_.empty() && books_.back().end == 0) books_.back().end = externsheet_at_;
}

std::optional<SheetSpan> WorkbookNames::sheets(std::uint16_t externsheet) const {
  if (externsheet >= entries_.size()) return std::nullopt;
  const Entry& entry = entries_[externsheet];
  if (entry.book >= books_.size() || books_[entry.book].kind != BookKind::self) return std::nullopt;
  if (entry.first < 0 || entry.last < entry.first ||
      static_cast<std::size_t>(entry.last) >= sheet_names_.size()) {
    return std::nullopt;
  }
  return SheetSpan{static_cast<std::uint16_t>(entry.first), static_cast<std::uint16_t>(entry.last)};
}

std::optional<SheetReference> WorkbookNames::sheet_reference(std::uint16_t externsheet) const {
  if (externsheet >= entries_.size()) return std::nullopt;
  const Entry& entry = entries_[externsheet];
  SheetReference out;
  const Book* book = entry.book < books_.size() ? &books_[entry.book] : nullptr;
  const std::vector<std::u16string>* names = &sheet_names_;
  if (book && book->kind == BookKind::external) {
    out.book = book->file;
    names = &book->sheets;
  }
  const auto in_range = [&](std::int16_t k) {
    return k >= 0 && static_cast<std::size_t>(k) < names->size();
  };
  if (!book || book->kind == BookKind::add_in || !in_range(entry.first) || !in_range(entry.last)) {
    out.deleted = entry.first != kWorkbookLevel;
    return out;
  }
  out.first_sheet = (*names)[static_cast<std::size_t>(entry.first)];
  out.last_sheet = (*names)[static_cast<std::size_t>(entry.last)];
  return out;
}

const DefinedName* WorkbookNames::name(std::uint16_t index) const {
  return index >= 1 && index <= names_.size() ? &names_[index - 1u] : nullptr;
}

std::optional<ExternalName> WorkbookNames::external_name(std::uint16_t externsheet,
                                                         std::uint16_t index) const {
  if (externsheet >= entries_.size()) return std::nullopt;
  const Entry& entry = entries_[externsheet];
  if (entry.book >= books_.size()) return std::nullopt;
  const Book& book = books_[entry.book];
  if (index < 1 || index > book.names.size()) return std::nullopt;
  return book.names[index - 1u];
}

std::optional<std::uint16_t> WorkbookNames::sheet_index(std::u16string_view name) const {
  for (std::size_t k = 0; k < sheet_names_.size(); ++k) {
    if (equal_ignoring_case(sheet_names_[k], name)) return static_cast<std::uint16_t>(k);
  }
  return std::nullopt;
}

std::u16string WorkbookNames::sheet_name(std::uint16_t index) const {
  return index < sheet_names_.size() ? sheet_names_[index] : std::u16string();
}

std::optional<std::uint16_t> WorkbookNames::book_of_kind(BookKind kind) const {
  for (std::size_t k = 0; k < books_.size(); ++k) {
    if (books_[k].kind == kind) return static_cast<std::uint16_t>(k);
  }
  return std::nullopt;
}

std::uint16_t WorkbookNames::add_book(BookKind kind) {
  if (auto found = book_of_kind(kind)) return *found;
  Book book;
  book.kind = kind;
  books_.push_back(std::move(book));
  changed_ = true;
  return static_cast<std::uint16_t>(books_.size() - 1);
}

std::optional<std::uint16_t> WorkbookNames::externsheet_for(SheetSpan span) {
  const auto self = book_of_kind(BookKind::self);
  for (std::size_t k = 0; self && k < entries_.size(); ++k) {
    const Entry& entry = entries_[k];
    if (entry.book == *self && entry.first == span.first && entry.last == span.last)
      return static_cast<std::uint16_t>(k);
  }
  if (entries_.size() >= kMaxEntries) return std::nullopt;
  const std::uint16_t book = add_book(BookKind::self);
  entries_.push_back(
      {book, static_cast<std::int16_t>(span.first), static_cast<std::int16_t>(span.last)});
  changed_ = true;
  return static_cast<std::uint16_t>(entries_.size() - 1);
}

std::optional<std::uint16_t> WorkbookNames::name_index(std::u16string_view text,
                                                       std::uint16_t sheet) const {
  std::optional<std::uint16_t> global;
  for (std::size_t k = 0; k < names_.size(); ++k) {
    if (!equal_ignoring_case(names_[k].name, text)) continue;
    const auto index = static_cast<std::uint16_t>(k + 1);
    if (names_[k].sheet == sheet) return index;
    if (!names_[k].sheet && !global) global = index;
  }
  return global;
}

std::optional<CompileNames::NameX> WorkbookNames::add_in_function(
    std::u16string_view upper_case_name) {
  std::optional<std::uint16_t> book = book_of_kind(BookKind::add_in);
  std::optional<std::uint16_t> index;
  if (book) {
    const auto& names = books_[*book].names;
    for (std::size_t k = 0; k < names.size(); ++k) {
      if (equal_ignoring_case(names[k].name, upper_case_name))
        index = static_cast<std::uint16_t>(k + 1);
    }
  }
  std::optional<std::uint16_t> entry;
  for (std::size_t k = 0; book && k < entries_.size(); ++k) {
    if (entries_[k].book == *book) entry = static_cast<std::uint16_t>(k);
  }
  if (!entry && entries_.size() >= kMaxEntries) return std::nullopt;
  if (!book) book = add_book(BookKind::add_in);
  if (!index) {
    Book& add_ins = books_[*book];
    std::string body;
    put_u16(body, 0);  // flags: a plain name
    put_u32(body, 0);
    append_unicode_string(body, upper_case_name, /*short_count=*/true);
    // Its formula: #REF!, as the application writes for an add-in function.
    body += std::string("\x02\x00\x1C\x17", 4);
    add_ins.name_bodies.push_back(std::move(body));
    add_ins.names.push_back({std::u16string(upper_case_name), true});
    index = static_cast<std::uint16_t>(add_ins.names.size());
    changed_ = true;
  }
  if (!entry) {
    entries_.push_back({*book, kWorkbookLevel, kWorkbookLevel});
    entry = static_cast<std::uint16_t>(entries_.size() - 1);
    changed_ = true;
  }
  return NameX{*entry, *index};
}

bool WorkbookNames::replaces(std::size_t index) const {
  return changed_ && index >= externsheet_at_ && index < externsheet_at_ + externsheet_records_;
}

void WorkbookNames::write_before(std::size_t index, std::string& out) const {
  if (!changed_) return;
  const auto write_names = [&](const Book& book, std::size_t from) {
    for (std::size_t k = from; k < book.name_bodies.size(); ++k)
      append_record(out, rec::kExternName, book.name_bodies[k]);
  };
  for (const Book& book : books_) {
    if (!book.body.empty() && book.end == index) write_names(book, book.names_read);
  }
  if (index != externsheet_at_) return;
  for (const Book& book : books_) {
    if (!book.body.empty()) continue;
    std::string body;
    put_u16(body, book.kind == BookKind::self ? static_cast<std::uint16_t>(sheet_names_.size())
                                              : std::uint16_t{1});
    put_u16(body, book.kind == BookKind::self ? kSelfMarker : kAddInMarker);
    append_record(out, rec::kSupBook, body);
    write_names(book, 0);
  }
  std::string body;
  put_u16(body, static_cast<std::uint16_t>(entries_.size()));
  for (const Entry& entry : entries_) {
    put_u16(body, entry.book);
    put_u16(body, static_cast<std::uint16_t>(entry.first));
    put_u16(body, static_cast<std::uint16_t>(entry.last));
  }
  append_long_record(out, rec::kExternSheet, body);
}

}  // namespace xls::formula
