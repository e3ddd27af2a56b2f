#include "convert/module1.h"

namespace schreiber::convert {

Module1::Module1(Module1Context context) : context_(std::move(context)) {
  export_block = [this](const std::int16_t& block, const std::string& workbook_name,
                        const std::string& template_name) {
    ExportBlock(block, workbook_name, template_name);
  };
}

}  // namespace schreiber::convert
