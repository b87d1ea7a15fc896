// SPDX-License-Identifier: MIT
#include "engine/analysis/suppressions.hpp"

#include <algorithm>

#include "engine/messages/words.hpp"
#include "parser/text.hpp"

namespace quelmix {
namespace {

constexpr std::string_view TAG = "quelmix:";
constexpr std::string_view IGNORE = "ignore";

std::string_view skip_blanks(std::string_view text) {
  while (!text.empty() && is_space(text.front()))
    text.remove_prefix(1);
  return text;
}

// "unknown-key, leading-zero" into kinds (and names that are none).
void read_kinds(std::string_view list, suppression &s) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view name = trim(list.substr(0, comma));
    if (!name.empty()) {
      if (const auto kind = kind_named(name))
        s.kinds.push_back(*kind);
      else
        s.unknown.emplace_back(name);
    }
    if (comma == std::string_view::npos)
      break;
    list.remove_prefix(comma + 1);
  }
}

std::string what_it_names(const suppression &s) {
  if (s.all)
    return "warnings";
  std::string names;
  for (diagnostic_kind kind : s.kinds)
    names += (names.empty() ? "" : ", ") + std::string(name_of(kind));
  return names;
}

// A malformed suppression silences nothing; its fix writes it as meant.
diagnostic malformed_warning(const suppression &s, const line_index &lines) {
  std::vector<text_edit> edits = s.mended;
  for (text_edit &e : edits) {
    e.begin += s.at;
    e.end += s.at;
  }
  return {diagnostic_kind::unused_suppression,
          s.line,
          lines.column_of(s.at + s.begin),
          "malformed suppression silences nothing",
          "a suppression is written \"quelmix: ignore\" or "
          "\"quelmix: ignore[KIND, ...]\", without a blank before \"[\"",
          0,
          quelmix::fix{"write the suppression as meant", fix_safety::safe,
                       std::move(edits), std::nullopt, record_effect::keeps}};
}

} // namespace

std::optional<suppression> parse_suppression(std::string_view comment) {
  const std::string_view whole = comment;
  if (comment.substr(0, 2) == "//")
    comment.remove_prefix(2);
  else if (!comment.empty() && (comment[0] == ';' || comment[0] == '#'))
    comment.remove_prefix(1);
  else
    return std::nullopt;
  comment = skip_blanks(comment);
  const std::size_t begin = whole.size() - comment.size();
  if (comment.substr(0, TAG.size()) != TAG)
    return std::nullopt;
  comment = skip_blanks(comment.substr(TAG.size()));
  if (comment.substr(0, IGNORE.size()) != IGNORE)
    return std::nullopt;
  comment.remove_prefix(IGNORE.size());
  const std::size_t after_word = whole.size() - comment.size();
  const std::string_view rest = skip_blanks(comment);
  suppression s;
  s.begin = begin;
  if (comment.empty() || (comment.size() > rest.size() && rest.empty()) ||
      (comment.size() > rest.size() && rest[0] != '[')) {
    // "ignore" alone, or followed by a blank and the author's words.
    s.all = true;
    s.end = after_word;
    s.alone = rest.empty();
    return s;
  }
  if (rest[0] != '[')
    return std::nullopt; // "ignored", "ignore-for-now[...]": prose
  const std::size_t open = whole.size() - rest.size();
  if (open > after_word) {
    s.malformed = true; // "ignore [": the blank goes
    s.mended.push_back({after_word, open, ""});
  }
  const std::size_t close = whole.find(']', open);
  if (close == std::string_view::npos) {
    s.malformed = true; // "ignore[" unclosed: "]" after the last word
    const std::size_t last = trim_right(whole).size();
    s.mended.push_back({last, last, "]"});
    read_kinds(whole.substr(open + 1, last - open - 1), s);
    s.end = whole.size();
    return s;
  }
  read_kinds(whole.substr(open + 1, close - open - 1), s);
  s.end = close + 1;
  s.alone = skip_blanks(whole.substr(s.end)).empty();
  return s;
}

void apply_suppressions(const std::vector<suppression> &suppressions,
                        std::vector<diagnostic> &diagnostics,
                        const line_index &lines) {
  if (suppressions.empty())
    return;
  std::vector<bool> used(suppressions.size(), false);
  const auto silenced = [&](const diagnostic &d) {
    if (d.level() != severity::warning || d.line < 1)
      return false;
    bool any = false;
    for (std::size_t i = 0; i < suppressions.size(); ++i) {
      const suppression &s = suppressions[i];
      if (!s.malformed && s.target == d.line &&
          (s.all || std::find(s.kinds.begin(), s.kinds.end(), d.kind) !=
                        s.kinds.end())) {
        used[i] = true;
        any = true;
      }
    }
    return any;
  };
  diagnostics.erase(
      std::remove_if(diagnostics.begin(), diagnostics.end(), silenced),
      diagnostics.end());
  for (std::size_t i = 0; i < suppressions.size(); ++i) {
    if (used[i])
      continue;
    const suppression &s = suppressions[i];
    if (s.malformed) {
      diagnostics.push_back(malformed_warning(s, lines));
      continue;
    }
    std::string message =
        "this suppression silences nothing on line " + std::to_string(s.target);
    std::string hint;
    if (!s.unknown.empty())
      hint = quoted(s.unknown.front()) + " is not a kind of diagnostic";
    else if (!s.all && s.kinds.empty())
      hint = "it names no kind";
    else if (!s.all)
      hint = "no " + what_it_names(s) +
             " there (errors cannot be silenced; they need mending)";
    diagnostics.push_back({diagnostic_kind::unused_suppression, s.line,
                           lines.column_of(s.at), std::move(message),
                           std::move(hint), 0,
                           quelmix::fix{"remove the suppression",
                                        fix_safety::safe,
                                        {s.removal},
                                        std::nullopt,
                                        record_effect::keeps}});
  }
}

} // namespace quelmix
