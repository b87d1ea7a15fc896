// SPDX-License-Identifier: MIT
// The text parser: which lines make which events, and which lines are bad.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "parser/parser.hpp"
#include "support/test_support.hpp"

namespace quelmix::test {
namespace {

const std::string START = "======CODE_BLOCK_START======\n";
const std::string END = "======CODE_BLOCK_END======\n";

struct parse_case {
  const char *name;
  std::string input;
  int result;
  std::vector<std::string> events;
};

void PrintTo(const parse_case &c, std::ostream *out) { *out << c.name; }

class ParseLines : public testing::TestWithParam<parse_case> {};

TEST_P(ParseLines, DeliversEventsAndFirstBadLine) {
  const parse_case &c = GetParam();
  const recorded_parse parsed = record_string(c.input);
  EXPECT_EQ(parsed.events, c.events);
  EXPECT_EQ(parsed.result, c.result);
}

std::string case_name(const testing::TestParamInfo<parse_case> &info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Comments, ParseLines,
    testing::Values(
        parse_case{"EmptyInput", "", 0, {}},
        parse_case{"BlankAndCommentLines",
                   "\n \t\n; a\n# b\n// c\n   ; d\n\t# e\n  // f\n\v\f\r\n",
                   0,
                   {}},
        parse_case{"SingleSlashIsAnEntry", "/x = 1\n", 0, {": /x=1"}},
        parse_case{"SlashWithoutSeparatorIsBad", "/ x\n", 1, {}}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    Headers, ParseLines,
    testing::Values(
        parse_case{"EmptyName", "[]\n", 0, {"[]"}},
        parse_case{"Joined", "[a][b]\n", 0, {"[a||b]"}},
        parse_case{"JoinedThree",
                   "[board parameter][dev3][inf2]\n",
                   0,
                   {"[board parameter||dev3||inf2]"}},
        parse_case{"SpaceEndsJoining", "[a] [b]\n", 0, {"[a]"}},
        parse_case{"TextAfterLastBracketIgnored", "[a]xyz\n", 0, {"[a]"}},
        parse_case{"MissingBracketIsBad", "[a\n", 1, {}},
        parse_case{"OpenSecondPartStillJoins", "[a][b\n", 0, {"[a||b]"}},
        parse_case{
            "CommentInSecondPartStopsThere", "[a][b ;c]\n", 0, {"[a||b ]"}},
        parse_case{"CommentBeforeBracketIsBad", "[a ;x]\n", 1, {}},
        parse_case{"SemicolonWithoutSpaceIsName", "[a;x]\n", 0, {"[a;x]"}},
        parse_case{"BlanksArePartOfName",
                   "[ camera parameter ]\n",
                   0,
                   {"[ camera parameter ]"}},
        parse_case{"NameCutTo49Bytes",
                   "[" + std::string(60, 'n') + "]\n",
                   0,
                   {"[" + std::string(49, 'n') + "]"}},
        parse_case{
            "BadHeaderKeepsSection", "[x]\n[bad\nk=v\n", 2, {"[x]", "x: k=v"}},
        parse_case{"IndentedHeader", "  [a]  \n", 0, {"[a]"}}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    Entries, ParseLines,
    testing::Values(
        parse_case{"BeforeAnyHeader", "k = v\n", 0, {": k=v"}},
        parse_case{"Trimmed", "[s]\n  k  =  v  \n", 0, {"[s]", "s: k=v"}},
        parse_case{
            "InlineCommentAfterSpace", "k = value ; note\n", 0, {": k=value"}},
        parse_case{"SemicolonWithoutSpaceKept",
                   "k = value;note\n",
                   0,
                   {": k=value;note"}},
        parse_case{"SlashesAfterSpace", "k = a // b\n", 0, {": k=a"}},
        parse_case{"SlashesWithoutSpaceKept", "k = a//b\n", 0, {": k=a//b"}},
        parse_case{"HashIsNoInlineComment", "k = a #b\n", 0, {": k=a #b"}},
        parse_case{"FirstSeparatorSplits", "url: x=1\n", 0, {": url=x=1"}},
        parse_case{"EmptyName", "= v\n", 0, {": =v"}},
        // Names of one word and names that take the full search.
        parse_case{"TabsAroundSeparator", "k\t=\tv\n", 0, {": k=v"}},
        parse_case{"ColonAfterBlanks", "k  : v=w\n", 0, {": k=v=w"}},
        parse_case{"BlankInsideName", "two words = v\n", 0, {": two words=v"}},
        parse_case{"NameThenWordIsBad", "k v\n", 1, {}},
        parse_case{"SemicolonInsideName", "a;b = v\n", 0, {": a;b=v"}},
        parse_case{"SlashInsideName", "a/b=v\n", 0, {": a/b=v"}},
        parse_case{"CommentAfterNameIsBad", "k // = v\n", 1, {}},
        parse_case{"SemicolonRightAfterSeparator", "k =;v\n", 0, {": k=;v"}},
        parse_case{"EmptyValue", "k =\n", 0, {": k="}},
        parse_case{"ValueOnlyComment", "k = ; c\n", 0, {": k="}},
        parse_case{"NoSeparatorIsBad", "k\n", 1, {}},
        parse_case{"FirstBadLineWins", "k\nother\n", 1, {}},
        parse_case{"CommentBeforeSeparatorIsBad", "k ; = v\n", 1, {}},
        parse_case{
            "EntriesAfterBadLineStillDelivered", "bad\nk=v\n", 1, {": k=v"}},
        parse_case{
            "CarriageReturnDropped", "[s]\r\nk = v\r\n", 0, {"[s]", "s: k=v"}},
        parse_case{"StartMarkerInValueIsText",
                   "k = ======CODE_BLOCK_START======\n",
                   0,
                   {": k=======CODE_BLOCK_START======"}},
        parse_case{"EndMarkerOutsideBlockIsEntry",
                   END,
                   0,
                   {": ======CODE_BLOCK_END======"}},
        parse_case{"StartMarkerWithCommentIsEntry",
                   "======CODE_BLOCK_START====== ; x\n",
                   0,
                   {": ======CODE_BLOCK_START======"}}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    CodeBlocks, ParseLines,
    testing::Values(
        parse_case{"KeepsLeadingBlanksAndEmptyLines",
                   "[c]\n" + START + "  x = 1  \n\n" + END,
                   0,
                   {"[c]", "c: <code>  x = 1\n\n</code>"}},
        parse_case{"EmptyBlock", START + END, 0, {": <code></code>"}},
        parse_case{"MarkersInAnyCaseWithBlanks",
                   "  ======code_block_start======  \nab\n\t======Code_Block_"
                   "End======\n",
                   0,
                   {": <code>ab\n</code>"}},
        parse_case{"CommentLinesKept",
                   START + "; a\n  # b\n// c\n" + END,
                   0,
                   {": <code>; a\n  # b\n// c\n</code>"}},
        parse_case{"CarriageReturnsDropped",
                   "======CODE_BLOCK_START======\r\nab  \r\n"
                   "======CODE_BLOCK_END======\r\n",
                   0,
                   {": <code>ab\n</code>"}},
        parse_case{"StartMarkerInsideIsText",
                   START + START + END,
                   0,
                   {": <code>======CODE_BLOCK_START======\n</code>"}},
        parse_case{"CommentedBracketIsText",
                   START + "[x ;y]\n" + END,
                   0,
                   {": <code>[x ;y]\n</code>"}},
        parse_case{"HeaderCutsBlockAndOpensNoSection",
                   "[c]\n" + START + "line\n[d]\nk=v\n",
                   4,
                   {"[c]", "c: k=v"}},
        parse_case{
            "EndOfInputCutsBlock", "[c]\n" + START + "line\n", 3, {"[c]"}},
        parse_case{"EndOfInputRightAfterStart", START, 1, {}},
        parse_case{
            "OpenBlockReplacesEarlierError", "bad\n" + START + "x\n", 3, {}},
        parse_case{
            "LaterErrorsDoNotReplaceOpenBlock", START + "[x]\nbad\n", 2, {}},
        parse_case{"EntriesAfterBlock",
                   START + "x\n" + END + "k=v\n",
                   0,
                   {": <code>x\n</code>", ": k=v"}}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    ByteOrderMark, ParseLines,
    testing::Values(
        parse_case{"SkippedOnFirstLine", "\xEF\xBB\xBF[a]\n", 0, {"[a]"}},
        parse_case{"SkippedBeforeComment", "\xEF\xBB\xBF; c\n", 0, {}},
        parse_case{"TextOnLaterLine", "\n\xEF\xBB\xBF[a]\n", 2, {}},
        parse_case{"OnlyOnce",
                   "\xEF\xBB\xBF\xEF\xBB\xBFk=v\n",
                   0,
                   {": \xEF\xBB\xBFk=v"}},
        // Two of the three bytes are no mark: they stay, as text.
        parse_case{"TwoBytesAreText", "\xEF\xBB[a]\n", 1, {}},
        parse_case{"FirstAndLastByteAreText", "\xEF\xBF\xBF[a]\n", 1, {}},
        parse_case{
            "TwoBytesStartAnEntry", "\xEF\xBBk=v\n", 0, {": \xEF\xBBk=v"}}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    LongLines, ParseLines,
    testing::Values(
        // 1100 bytes of value: the first 1023 bytes are one line, the rest a
        // second line without a separator.
        parse_case{"CutInto1023BytePieces",
                   "k = " + std::string(1100, 'a') + "\n",
                   2,
                   {": k=" + std::string(1019, 'a')}},
        parse_case{
            "PiecesAreNumbered", std::string(1023, ';') + "\n[bad\n", 3, {}},
        parse_case{"ExactlyFullLine",
                   "k=" + std::string(1020, 'v') + "\n[a]\n",
                   0,
                   {": k=" + std::string(1020, 'v'), "[a]"}}),
    case_name);

TEST(ParseLines, RejectedEventIsTheErrorLine) {
  event_recorder recorder;
  recorder.answer = 0;
  const int result = parse_config_string("; c\n\n[a]\nk=v\n",
                                         event_recorder::handle, &recorder);
  EXPECT_EQ(result, 3);
  EXPECT_EQ(recorder.events.size(), 2u); // parsing goes on after a rejection
}

TEST(ParseLines, OutcomeNamesTheReason) {
  struct reason_case {
    std::string input;
    parse_error error;
  };
  const reason_case cases[] = {
      {"[s]\nk=v\n", parse_error::none},
      {"[s\n", parse_error::unclosed_header},
      {"k\n", parse_error::missing_separator},
      {START + "x\n", parse_error::unterminated_code_block},
  };
  for (const reason_case &c : cases) {
    event_recorder recorder;
    parse_outcome outcome;
    parse_config_string(c.input.c_str(), event_recorder::handle, &recorder,
                        &outcome);
    EXPECT_EQ(outcome.error, c.error) << c.input;
  }
}

TEST(ParseFiles, MissingFileDeliversNothing) {
  event_recorder recorder;
  parse_outcome outcome;
  EXPECT_EQ(parse_config_file("/nonexistent/quelmix.cfg",
                              event_recorder::handle, &recorder, &outcome),
            -1);
  EXPECT_TRUE(recorder.events.empty());
  EXPECT_EQ(outcome.error, parse_error::cannot_open);
  EXPECT_NE(outcome.system_error, 0);
}

TEST(ParseFiles, NullPathIsUnreadable) {
  event_recorder recorder;
  EXPECT_EQ(parse_config_file(nullptr, event_recorder::handle, &recorder), -1);
  EXPECT_EQ(parse_config_string(nullptr, event_recorder::handle, &recorder),
            -1);
}

// A directory opens with fopen but fails on the first read: that is no
// empty file.
TEST(ParseFiles, DirectoryIsUnreadableNotEmpty) {
  event_recorder recorder;
  parse_outcome outcome;
  EXPECT_EQ(parse_config_file("/", event_recorder::handle, &recorder, &outcome),
            -1);
  EXPECT_EQ(outcome.error, parse_error::cannot_read);
}

// A stream that delivers `good` bytes, then reports a read error.
struct failing_cookie {
  std::string good;
  std::size_t at = 0;
};

ssize_t read_then_fail(void *cookie, char *buffer, std::size_t size) {
  auto *state = static_cast<failing_cookie *>(cookie);
  if (state->at == state->good.size()) {
    errno = EIO;
    return -1;
  }
  const std::size_t n = std::min(size, state->good.size() - state->at);
  std::memcpy(buffer, state->good.data() + state->at, n);
  state->at += n;
  return static_cast<ssize_t>(n);
}

TEST(ParseFiles, ReadErrorPartWayIsUnreadable) {
  failing_cookie cookie{"[a]\nk = v\n" + std::string(40000, '\n'), 0};
  std::FILE *stream =
      fopencookie(&cookie, "r", {read_then_fail, nullptr, nullptr, nullptr});
  ASSERT_NE(stream, nullptr);
  event_recorder recorder;
  parse_outcome outcome;
  EXPECT_EQ(
      parse_config_stream(stream, event_recorder::handle, &recorder, &outcome),
      -1);
  EXPECT_EQ(outcome.error, parse_error::cannot_read);
  EXPECT_EQ(outcome.system_error, EIO);
  EXPECT_EQ(recorder.events.size(), 2u); // what came before the error
  std::fclose(stream);
}

TEST(ParseFiles, FileGivesSameEventsAsString) {
  const std::string text = read_file(sample_path());
  const temp_file file(text);
  event_recorder from_file;
  const int file_result =
      parse_config_file(file.path(), event_recorder::handle, &from_file);
  const recorded_parse from_string = record_string(text);
  EXPECT_EQ(file_result, from_string.result);
  EXPECT_EQ(from_file.events, from_string.events);
  EXPECT_GT(from_file.events.size(), 20u);
}

} // namespace
} // namespace quelmix::test
