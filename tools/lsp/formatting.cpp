// SPDX-License-Identifier: MIT
#include "formatting.hpp"

#include "engine/layout/format.hpp"

namespace quelmix::lsp {

std::vector<protocol::text_edit> formatting_edits(const analysis &a) {
  const formatted_text formatted = format_text(a.text);
  if (formatted.text == a.text)
    return {};
  const std::int64_t last = a.line_count();
  // One edit for the whole text: simple, and exact whatever changed.
  const protocol::position end =
      a.text.empty() || a.text.back() == '\n'
          ? protocol::position{last, 0}
          : a.position(last, a.index.line_text(last).size());
  return {{{{0, 0}, end}, formatted.text}};
}

} // namespace quelmix::lsp
