// SPDX-License-Identifier: MIT
#include "engine/messages/describe.hpp"

namespace quelmix {
namespace {

problem_words refusal(load_error error) noexcept {
  switch (error) {
  case load_error::too_many_values:
    return {diagnostic_kind::too_many_values,
            "command has more than 16 values"};
  case load_error::out_of_memory:
    return {diagnostic_kind::out_of_memory,
            "out of memory while storing this line"};
  case load_error::no_record:
  case load_error::none:
    break;
  }
  return {diagnostic_kind::no_record, "no record to load into"};
}

} // namespace

problem_words describe_problem(parse_error error, load_error refused) noexcept {
  switch (error) {
  case parse_error::none:
    break;
  case parse_error::unclosed_header:
    return {diagnostic_kind::unclosed_header,
            "section header has no closing \"]\""};
  case parse_error::missing_separator:
    return {diagnostic_kind::missing_separator,
            "entry has no \"=\" or \":\" before any comment"};
  case parse_error::unterminated_code_block:
    return {diagnostic_kind::unclosed_code_block,
            "code block is not closed before this line"};
  case parse_error::out_of_memory:
    return {diagnostic_kind::out_of_memory,
            "out of memory while storing the code block"};
  case parse_error::rejected:
    return refusal(refused);
  case parse_error::cannot_open:
    return {diagnostic_kind::cannot_open, "cannot open"};
  case parse_error::cannot_read:
    return {diagnostic_kind::cannot_read, "cannot read"};
  }
  return {diagnostic_kind::no_record, nullptr};
}

} // namespace quelmix
