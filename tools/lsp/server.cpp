// SPDX-License-Identifier: MIT
#include "server.hpp"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <exception>
#include <new>

#include "actions.hpp"
#include "completion.hpp"
#include "diagnostics.hpp"
#include "exit_status.hpp"
#include "folding.hpp"
#include "formatting.hpp"
#include "hover.hpp"
#include "inlay_hints.hpp"
#include "options.hpp"
#include "outline.hpp"
#include "positions.hpp"
#include "quelmix_config_parser.h"
#include "semantic_tokens.hpp"

namespace quelmix::lsp {

namespace {

// JSON-RPC and protocol error codes.
constexpr int PARSE_ERROR = -32700;
constexpr int INVALID_REQUEST = -32600;
constexpr int METHOD_NOT_FOUND = -32601;
constexpr int INVALID_PARAMS = -32602;
constexpr int INTERNAL_ERROR = -32603;
constexpr int SERVER_NOT_INITIALIZED = -32002;
constexpr int MESSAGE_ERROR = 1; // window/showMessage's MessageType.Error

std::string dump(const json &value) {
  // Replace rather than throw on text that is not UTF-8.
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string error_reply(const json &id, int code, const std::string &message) {
  return dump({{"jsonrpc", "2.0"},
               {"id", id},
               {"error", {{"code", code}, {"message", message}}}});
}

std::string result_reply(const json &id, json result) {
  return dump({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

std::string notification(const char *method, json params) {
  return dump(
      {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

std::string show_error(const std::string &message) {
  return notification(
      "window/showMessage",
      {{"type", MESSAGE_ERROR}, {"message", "quelmix-config-lsp: " + message}});
}

json capabilities(const client_options &options) {
  return {{"capabilities",
           {{"positionEncoding", options.utf8 ? "utf-8" : "utf-16"},
            {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
            {"hoverProvider", true},
            {"completionProvider", {{"triggerCharacters", json::array({"["})}}},
            {"documentSymbolProvider", true},
            {"documentFormattingProvider", true},
            {"codeActionProvider",
             {{"codeActionKinds", json::array({"quickfix", "source.fixAll"})},
              {"resolveProvider", true}}},
            {"semanticTokensProvider",
             {{"legend", protocol::legend_json(semantic_token_types(),
                                               semantic_token_modifiers())},
              {"full", true},
              {"range", true}}},
            {"foldingRangeProvider", true},
            {"inlayHintProvider", true}}},
          {"serverInfo",
           {{"name", "quelmix-config-lsp"},
            {"version",
             std::to_string(QUELMIX_CONFIG_PARSER_VERSION_MAJOR) + "." +
                 std::to_string(QUELMIX_CONFIG_PARSER_VERSION_MINOR) + "." +
                 std::to_string(QUELMIX_CONFIG_PARSER_VERSION_PATCH)}}}};
}

// A change with a range replaces that range (clients may send them even
// to a full-sync server); one without replaces the whole text.
void apply_change(std::string &text, const json &change,
                  const client_options &options) {
  if (!change.contains("range")) {
    text = change.at("text").get<std::string>();
    return;
  }
  const auto offset = [&text, &options](const json &position) {
    const auto line = position.at("line").get<std::size_t>();
    std::size_t start = 0;
    for (std::size_t l = 0; l < line; ++l) {
      const std::size_t newline = text.find('\n', start);
      if (newline == std::string::npos)
        return text.size();
      start = newline + 1;
    }
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    else if (end > start && text[end - 1] == '\r')
      --end; // a character past the end stays before the line ending
    const auto character = position.at("character").get<std::size_t>();
    return start +
           (options.utf8
                ? std::min(character, end - start)
                : byte_offset(std::string_view(text).substr(start, end - start),
                              character));
  };
  const json &range = change.at("range");
  const std::size_t begin = offset(range.at("start"));
  const std::size_t end = std::max(begin, offset(range.at("end")));
  text.replace(begin, end - begin, change.at("text").get<std::string>());
}

// Asks the client to say when a project file changes.
std::string watch_project_files() {
  return dump(
      {{"jsonrpc", "2.0"},
       {"id", "quelmix-watch-project-files"},
       {"method", "client/registerCapability"},
       {"params",
        {{"registrations",
          json::array(
              {{{"id", "quelmix-project-files"},
                {"method", "workspace/didChangeWatchedFiles"},
                {"registerOptions",
                 {{"watchers", json::array({{{"globPattern",
                                              "**/quelmix.toml"}}})}}}}})}}}});
}

// Thrown for a request this server does not know.
struct unknown_method {};

} // namespace

// The methods, with access to the server's state.
struct dispatcher {
  server &s;
  std::vector<std::string> &out;

  server::document &document_of(const json &params) {
    const auto &uri =
        params.at("textDocument").at("uri").get_ref<const std::string &>();
    const auto found = s.documents_.find(uri);
    if (found == s.documents_.end())
      throw std::invalid_argument("document not open: " + uri);
    return found->second;
  }

  void configure(const json &settings) {
    std::string problem;
    if (!apply_settings(protocol::checker_options_of(settings), s.options_,
                        problem))
      out.push_back(show_error(problem));
    s.projects_.client_changed();
    for (auto &[uri, document] : s.documents_) {
      document.analysed.reset(); // the settings are part of the analysis
      s.pending_.insert(uri);
    }
  }

  void open(const json &params) {
    const json &document = params.at("textDocument");
    const std::string uri = document.at("uri").get<std::string>();
    server::document &d = s.documents_[uri];
    d.text = document.at("text").get<std::string>();
    // A project file may have changed while nothing watched it; the
    // analyses made under the old settings go with them.
    s.projects_.projects_changed();
    for (auto &open_document : s.documents_)
      open_document.second.analysed.reset();
    d.version = document.value("version", 0LL);
    s.pending_.insert(uri);
  }

  void change(const json &params) {
    const std::string uri =
        params.at("textDocument").at("uri").get<std::string>();
    const auto found = s.documents_.find(uri);
    if (found == s.documents_.end())
      return;
    found->second.analysed.reset();
    for (const json &change : params.at("contentChanges"))
      apply_change(found->second.text, change, s.options_);
    found->second.version =
        params.at("textDocument").value("version", found->second.version);
    s.pending_.insert(uri);
  }

  void notification(const std::string &method, const json &params) {
    if (method == "exit") {
      s.exit_status_ = s.shutting_down_ ? tools::EXIT_CLEAN : tools::EXIT_FOUND;
      return;
    }
    if (!s.initialized_ || s.shutting_down_)
      return;
    if (method == "textDocument/didOpen") {
      open(params);
    } else if (method == "textDocument/didChange") {
      change(params);
    } else if (method == "textDocument/didClose") {
      const std::string uri =
          params.at("textDocument").at("uri").get<std::string>();
      s.documents_.erase(uri);
      s.pending_.insert(uri);
    } else if (method == "workspace/didChangeConfiguration") {
      configure(params.value("settings", json::object()));
    } else if (method == "workspace/didChangeWatchedFiles") {
      s.projects_.projects_changed();
      for (auto &[uri, document] : s.documents_) {
        document.analysed.reset(); // the project's settings are part of it
        s.pending_.insert(uri);
      }
    } else if (method == "initialized" && s.options_.watches_files) {
      out.push_back(watch_project_files());
    }
    // Every other notification ("initialized", "$/cancelRequest", ...)
    // needs nothing from this server.
  }

  json initialize(const json &params) {
    if (s.initialized_)
      throw std::invalid_argument("the server is initialized already");
    s.initialized_ = true;
    take_client_capabilities(
        protocol::capabilities_of(params.value("capabilities", json::object())),
        s.options_);
    if (params.contains("initializationOptions"))
      configure(params["initializationOptions"]);
    return capabilities(s.options_);
  }

  json request(const std::string &method, const json &params) {
    if (method == "initialize")
      return initialize(params);
    if (method == "shutdown") {
      s.shutting_down_ = true;
      return nullptr;
    }
    if (method == "textDocument/hover")
      return hover(params);
    if (method == "textDocument/completion")
      return protocol::array_of(completion_at(
          analyse(params), protocol::position_of(params.at("position"))));
    if (method == "textDocument/documentSymbol")
      return protocol::array_of(symbols_of(analyse(params)));
    if (method == "textDocument/formatting")
      return protocol::array_of(formatting_edits(analyse(params)));
    if (method == "textDocument/codeAction")
      return protocol::array_of(
          code_actions(analyse(params), protocol::action_request_of(params),
                       document_of(params).version));
    if (method == "codeAction/resolve")
      return resolve(params);
    if (method == "textDocument/semanticTokens/full")
      return protocol::tokens_json(
          semantic_tokens(analyse(params), 1, INT64_MAX));
    if (method == "textDocument/semanticTokens/range")
      return protocol::tokens_json(semantic_tokens(
          analyse(params), first_line(params), last_line(params)));
    if (method == "textDocument/foldingRange")
      return protocol::array_of(folding_ranges(analyse(params)));
    if (method == "textDocument/inlayHint")
      return protocol::array_of(
          inlay_hints(analyse(params), first_line(params), last_line(params)));
    throw unknown_method{};
  }

  // A request's range as 1-based lines.
  static std::int64_t first_line(const json &params) {
    return protocol::line_number(
        params.at("range").at("start").at("line").get<std::int64_t>());
  }
  static std::int64_t last_line(const json &params) {
    return protocol::line_number(
        params.at("range").at("end").at("line").get<std::int64_t>());
  }

  json hover(const json &params) {
    const auto found =
        hover_at(analyse(params), protocol::position_of(params.at("position")));
    return found ? json(*found) : json(nullptr);
  }

  json resolve(const json &action) {
    const auto found = s.documents_.find(protocol::resolve_uri(action));
    if (found == s.documents_.end())
      return action;
    const auto which =
        protocol::resolve_request_of(action, found->second.version);
    if (!which)
      return action;
    const auto edit = resolve_edit(s.analysed(found->first, found->second),
                                   *which, found->second.version);
    if (!edit)
      return action;
    json resolved = action;
    resolved["edit"] = *edit;
    return resolved;
  }

  const analysis &analyse(const json &params) {
    const auto &uri =
        params.at("textDocument").at("uri").get_ref<const std::string &>();
    return s.analysed(uri, document_of(params));
  }
};

const analysis &server::analysed(const std::string &uri, document &d) {
  if (!d.analysed) {
    d.analysed = std::make_unique<const analysis>(d.text, options_for(uri));
    ++analyses_;
  }
  return *d.analysed;
}

std::vector<std::string> server::flush() {
  std::vector<std::string> out;
  for (const std::string &uri : pending_) {
    json params = {{"uri", uri}, {"diagnostics", json::array()}};
    const auto found = documents_.find(uri);
    if (found != documents_.end()) {
      params["version"] = found->second.version;
      try {
        params["diagnostics"] =
            protocol::array_of(diagnostics_of(analysed(uri, found->second)));
      } catch (const std::bad_alloc &) {
        out.push_back(show_error("out of memory while analysing " + uri));
        continue;
      }
    }
    out.push_back(notification("textDocument/publishDiagnostics", params));
  }
  pending_.clear();
  for (const std::string &problem : project_problems_)
    out.push_back(show_error(problem));
  project_problems_.clear();
  return out;
}

std::vector<std::string> server::dropped(std::string_view why) {
  return {show_error(std::string(why))};
}

std::vector<std::string> server::handle(std::string_view body) {
  std::vector<std::string> out;
  const json message = json::parse(body, nullptr, false);
  if (message.is_discarded()) {
    out.push_back(error_reply(nullptr, PARSE_ERROR, "the message is not JSON"));
    return out;
  }
  if (!message.is_object() || !message.contains("method") ||
      !message["method"].is_string()) {
    // Replies to requests this server never makes are ignored.
    if (message.is_object() &&
        (message.contains("result") || message.contains("error")))
      return out;
    const json id = message.is_object() && message.contains("id")
                        ? message["id"]
                        : json(nullptr);
    out.push_back(error_reply(id, INVALID_REQUEST, "not a JSON-RPC request"));
    return out;
  }
  const std::string method = message["method"].get<std::string>();
  const json params = message.value("params", json::object());
  dispatcher d{*this, out};
  if (!message.contains("id")) {
    try {
      d.notification(method, params);
    } catch (const std::exception &) {
      // A malformed notification has nobody to answer; nothing is sent.
    }
    return out;
  }
  const json id = message["id"];
  if (!id.is_number_integer() && !id.is_string()) {
    out.push_back(error_reply(nullptr, INVALID_REQUEST, "bad request id"));
    return out;
  }
  if (!initialized_ && method != "initialize") {
    out.push_back(error_reply(id, SERVER_NOT_INITIALIZED, "not initialized"));
    return out;
  }
  if (shutting_down_) {
    out.push_back(error_reply(id, INVALID_REQUEST, "shutting down"));
    return out;
  }
  try {
    json result = d.request(method, params);
    out.push_back(result_reply(id, std::move(result)));
  } catch (const unknown_method &) {
    out.push_back(
        error_reply(id, METHOD_NOT_FOUND, "unknown method " + method));
  } catch (const json::exception &error) {
    out.push_back(error_reply(id, INVALID_PARAMS, error.what()));
  } catch (const std::invalid_argument &error) {
    out.push_back(error_reply(
        id, method == "initialize" ? INVALID_REQUEST : INVALID_PARAMS,
        error.what()));
  } catch (const std::exception &error) {
    out.push_back(error_reply(id, INTERNAL_ERROR, error.what()));
  }
  return out;
}

} // namespace quelmix::lsp
