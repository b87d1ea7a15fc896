// SPDX-License-Identifier: MIT
#include "folding.hpp"

namespace quelmix::lsp {
namespace {

protocol::folding_range fold(std::int64_t first, std::int64_t last,
                             const char *kind) {
  return {first - 1, last - 1, kind};
}

} // namespace

std::vector<protocol::folding_range> folding_ranges(const analysis &a) {
  std::vector<protocol::folding_range> out;
  const std::int64_t count = a.line_count();
  std::int64_t section = 0, block = 0, comments = 0, last_text = 0;
  const auto close_section = [&] {
    if (section > 0 && last_text > section)
      out.push_back(fold(section, last_text, "region"));
  };
  const auto close_comments = [&](std::int64_t line) {
    if (comments > 0 && line - 1 > comments)
      out.push_back(fold(comments, line - 1, "comment"));
    comments = 0;
  };
  for (std::int64_t line = 1; line <= count; ++line) {
    const line_info &info = *a.info(line);
    if (info.role != line_role::comment)
      close_comments(line);
    switch (info.role) {
    case line_role::header:
      close_section();
      section = line;
      break;
    case line_role::comment:
      if (comments == 0)
        comments = line;
      break;
    case line_role::block_start:
      block = line;
      break;
    case line_role::block_end:
      if (block > 0)
        out.push_back(fold(block, line, "region"));
      block = 0;
      break;
    default:
      break;
    }
    if (info.role != line_role::blank)
      last_text = line;
  }
  close_comments(count + 1);
  close_section();
  return out;
}

} // namespace quelmix::lsp
