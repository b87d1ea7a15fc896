// SPDX-License-Identifier: MIT
#include "diagnostics/describe.hpp"

namespace quelmix {
namespace {

struct problem_words {
  const char *kind;
  const char *words;
};

problem_words refusal(load_error error) noexcept {
  switch (error) {
  case load_error::no_record:
    return {"out-of-memory", "no record to load into"};
  case load_error::too_many_values:
    return {"too-many-values", "command has more than 16 values"};
  case load_error::out_of_memory:
    return {"out-of-memory", "out of memory while storing this line"};
  case load_error::none:
    break;
  }
  return {"out-of-memory", "line refused"};
}

problem_words words_for(parse_error error, load_error refused) noexcept {
  switch (error) {
  case parse_error::none:
    return {nullptr, nullptr};
  case parse_error::unclosed_header:
    return {"unclosed-header", "section header has no closing \"]\""};
  case parse_error::missing_separator:
    return {"missing-separator",
            "entry has no \"=\" or \":\" before any comment"};
  case parse_error::unterminated_code_block:
    return {"unclosed-code-block",
            "code block is not closed with ======CODE_BLOCK_END====== before "
            "this line"};
  case parse_error::out_of_memory:
    return {"out-of-memory", "out of memory while storing the code block"};
  case parse_error::rejected:
    return refusal(refused);
  case parse_error::cannot_open:
    return {"cannot-open", "cannot open"};
  case parse_error::cannot_read:
    return {"cannot-read", "cannot read"};
  }
  return {"out-of-memory", "unknown error"};
}

} // namespace

const char *describe_problem(parse_error error, load_error refused) noexcept {
  return words_for(error, refused).words;
}

const char *problem_kind(parse_error error, load_error refused) noexcept {
  return words_for(error, refused).kind;
}

} // namespace quelmix
