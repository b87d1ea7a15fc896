// SPDX-License-Identifier: MIT
// Reports for CI: SARIF 2.1.0 (for code scanning: one run, every kind a
// rule, each result with its place and its fix) and GitHub workflow
// commands (annotations in a pull request).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis/engine.hpp"

namespace quelmix::tools {

// Collects the results of every file; the document is written at the end.
class sarif_report {
public:
  // `bytes` is the file's text (for columns in code points and regions).
  void add_file(std::string_view name, std::string_view bytes,
                const std::vector<const diagnostic *> &shown);
  std::string document() const;

private:
  std::vector<std::string> results_;
};

// "::warning file=F,line=L,col=C,title=KIND::MESSAGE" lines.
std::string github_annotations(std::string_view name,
                               const std::vector<const diagnostic *> &shown);

// A workflow command's escapes: in its data ("%", CR, LF) and, stricter,
// in a property (":" and "," as well).
std::string github_data(std::string_view text);
std::string github_property(std::string_view text);

} // namespace quelmix::tools
