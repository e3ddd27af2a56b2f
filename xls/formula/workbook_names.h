#pragma once
// The names of a workbook as its globals hold them: SUPBOOK (this workbook, another one or
// the add-ins), the EXTERNNAMEs after each SUPBOOK, EXTERNSHEET and NAME. Compiling a
// formula may add a SUPBOOK of this workbook or of the add-ins, add-in EXTERNNAMEs and
// EXTERNSHEET entries; write() then gives the records that replace the old ones.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xls/formula/formula_names.h"
#include "xls/record_stream.h"

namespace xls::formula {

class WorkbookNames : public CompileNames {
 public:
  WorkbookNames() = default;
  // `globals` are the globals substream's records, `sheet_names` the sheets in order. Records
  // it cannot read are skipped: formulas that use them show #REF! or keep their results.
  WorkbookNames(const std::vector<Record>& globals, std::vector<std::u16string> sheet_names);

  std::optional<SheetSpan> sheets(std::uint16_t externsheet) const override;
  std::optional<SheetReference> sheet_reference(std::uint16_t externsheet) const override;
  const DefinedName* name(std::uint16_t index) const override;
  std::optional<ExternalName> external_name(std::uint16_t externsheet,
                                            std::uint16_t index) const override;

  std::optional<std::uint16_t> sheet_index(std::u16string_view name) const override;
  std::u16string sheet_name(std::uint16_t index) const override;
  std::optional<std::uint16_t> externsheet_for(SheetSpan sheets) override;
  std::optional<std::uint16_t> name_index(std::u16string_view name,
                                          std::uint16_t sheet) const override;
  std::optional<NameX> add_in_function(std::u16string_view upper_case_name) override;

  // True once an entry was added.
  bool changed() const { return changed_; }
  // For writing the globals back: the records that go before globals record `index` (names
  // added to a SUPBOOK read, the SUPBOOKs added and the whole EXTERNSHEET), and whether
  // record `index` is left out (the EXTERNSHEET read and its CONTINUE records). Nothing of
  // either while no entry was added.
  void write_before(std::size_t index, std::string& out) const;
  bool replaces(std::size_t index) const;

 private:
  enum class BookKind { self, add_in, external };
  struct Book {
    BookKind kind = BookKind::external;
    std::u16string file;                 // of an external workbook
    std::vector<std::u16string> sheets;  // of an external workbook
    std::vector<ExternalName> names;
    std::string body;                      // the SUPBOOK as read; empty for one added
    std::vector<std::string> name_bodies;  // the EXTERNNAMEs as read, then those added
    std::size_t names_read = 0;
    std::size_t end = 0;  // the globals record after its last one
  };
  struct Entry {
    std::uint16_t book = 0;
    std::int16_t first = 0, last = 0;
  };
  std::optional<std::uint16_t> book_of_kind(BookKind kind) const;
  std::uint16_t add_book(BookKind kind);

  std::vector<std::u16string> sheet_names_;
  std::vector<Book> books_;
  std::vector<Entry> entries_;
  std::vector<DefinedName> names_;
  // Where the EXTERNSHEET lies among the globals (or goes), and how many records it spans.
  std::size_t externsheet_at_ = 0, externsheet_records_ = 0;
  bool changed_ = false;
};

}  // namespace xls::formula
