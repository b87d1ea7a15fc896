#include "diagnostics/describe.hpp"

namespace quelmix {
namespace {

const char *describe_rejection(load_error error) noexcept {
  switch (error) {
  case load_error::no_record:
    return "no record to load into";
  case load_error::too_many_values:
    return "command has more than 16 values";
  case load_error::out_of_memory:
    return "out of memory while storing this line";
  case load_error::none:
    break;
  }
  return "line refused";
}

} // namespace

const char *describe_error(const load_report &report) noexcept {
  switch (report.parse.error) {
  case parse_error::none:
    return nullptr;
  case parse_error::unclosed_header:
    return "section header has no closing \"]\"";
  case parse_error::missing_separator:
    return "entry has no \"=\" or \":\" before any comment";
  case parse_error::unterminated_code_block:
    return "code block is not closed with ======CODE_BLOCK_END====== before "
           "this line";
  case parse_error::out_of_memory:
    return "out of memory while storing the code block";
  case parse_error::rejected:
    return describe_rejection(report.error);
  case parse_error::cannot_open:
    return "cannot open";
  case parse_error::cannot_read:
    return "cannot read";
  }
  return "unknown error";
}

} // namespace quelmix
