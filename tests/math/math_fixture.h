// Set-up for the math tests: the math state reset through its init, console messages captured,
// and small builders for hand-made chains.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "../output/output_fixture.h"
#include "math/node.h"
#include "math/operator.h"
#include "math/state.h"
#include "output/xref.h"
#include "reader/report.h"

namespace pendra::testing {

// A compact picture of a tree: literals as themselves ("ab" for strings), Spacing as _units,
// operators as name(operands), none as -, chains of several nodes in brackets.
inline std::string showNode(const math::MathNode* n);

inline std::string showTree(const math::MathNode* chain) {
  if (!chain) return "-";
  std::string out;
  bool several = chain->next != nullptr;
  if (several) out += "[";
  for (const math::MathNode* n = chain; n; n = n->next.get()) {
    if (n != chain) out += " ";
    out += showNode(n);
  }
  if (several) out += "]";
  return out;
}
inline std::string showNode(const math::MathNode* n) {
  using math::NodeKind;
  switch (n->kind) {
    case NodeKind::StrLiteral:
      return "\"" + n->string + "\"";
    case NodeKind::CharLiteral:
      return std::string(1, n->character);
    case NodeKind::Spacing:
      return std::string("_").append(std::to_string(n->spaces));
    case NodeKind::Nullary:
      return n->op ? n->op->name : "?";
    default:
      break;
  }
  std::string out = n->op ? n->op->name : "?";
  if (n->kind == NodeKind::Id) out += std::string(".") + n->bracketFormat[0] + n->bracketFormat[1];
  out += "(";
  int count = math::operandCount(n);
  for (int i = 0; i < count; ++i) {
    if (i) out += ", ";
    out += showTree(math::peekOperand(n, i));
  }
  return out + ")";
}

class MathFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    reader::registerReporter(false, nullptr);
    math::initMath();
    ::testing::internal::CaptureStderr();
    capturing_ = true;
  }
  void TearDown() override {
    if (capturing_) ::testing::internal::GetCapturedStderr();
    math::finishMath();
  }
  // The console text since the last call.
  std::string messages() {
    std::string text = ::testing::internal::GetCapturedStderr();
    ::testing::internal::CaptureStderr();
    return text;
  }

  static constexpr math::MathFont kRoman{output::Family::kTimes, 4, 0};
  static constexpr math::MathFont kItalic{output::Family::kTimes, 4, output::kItalic};

  static math::NodePtr str(const std::string& text, math::MathFont font = kRoman) {
    auto n = math::makeNode(math::NodeKind::StrLiteral, math::specialRow(math::SpecialRow::String),
                            font);
    n->string = text;
    return n;
  }
  static math::NodePtr chr(char c, math::MathFont font = kItalic) {
    auto n =
        math::makeNode(math::NodeKind::CharLiteral, math::specialRow(math::SpecialRow::Char), font);
    n->character = c;
    return n;
  }
  static math::NodePtr space(int units) {
    auto n = math::makeNode(math::NodeKind::Spacing, math::specialRow(math::SpecialRow::Spacing),
                            kRoman);
    n->spaces = units;
    return n;
  }
  static math::NodePtr op(math::NodeKind kind, math::OperatorTable table, const char* name) {
    return math::makeNode(kind, math::findOperator(table, name), kRoman);
  }
  // Links the chains into one, in order.
  template <typename... Rest>
  static math::NodePtr chain(math::NodePtr first, Rest&&... rest) {
    math::MathNode* last = math::lastNode(first.get());
    ((last->next = std::move(rest), last = math::lastNode(last)), ...);
    return first;
  }
  // A flat chain as the parser leaves it, from blank-separated pieces: one letter is an italic
  // CharLiteral, \, \: \; \! and \& are Spacing of 1, 2, 4, -1 and 500 units, anything else is
  // a roman StrLiteral.
  static math::NodePtr flat(const std::string& text) {
    math::NodePtr head;
    math::MathNode* last = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find(' ', pos);
      if (end == std::string::npos) end = text.size();
      std::string piece = text.substr(pos, end - pos);
      pos = end + 1;
      if (piece.empty()) continue;
      math::NodePtr n;
      if (piece.size() == 1 && std::isalpha(static_cast<unsigned char>(piece[0])))
        n = chr(piece[0]);
      else if (piece == "\\,")
        n = space(1);
      else if (piece == "\\:")
        n = space(2);
      else if (piece == "\\;")
        n = space(4);
      else if (piece == "\\!")
        n = space(-1);
      else if (piece == "\\&")
        n = space(500);
      else
        n = str(piece);
      math::MathNode* raw = n.get();
      if (last)
        last->next = std::move(n);
      else
        head = std::move(n);
      last = raw;
    }
    return head;
  }
  static std::string show(const math::MathNode* chain) { return showTree(chain); }

 private:
  bool capturing_ = false;
};

// Conversions of LaTeX text with the math state and the cross-references reset around each test.
class MathConvertFixture : public ConvertFixture {
 protected:
  void SetUp() override {
    ConvertFixture::SetUp();
    math::initMath();
    output::initCrossReferences();
  }
  void TearDown() override {
    math::finishMath();
    ConvertFixture::TearDown();
  }
};

}  // namespace pendra::testing
