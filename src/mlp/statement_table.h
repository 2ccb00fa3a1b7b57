// The built-in MLP statements: name, handler code and operand letters.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pendra::mlp {

// Which handler runs a statement. The last three are given only to entries made at run time.
enum class Code : std::uint8_t {
  Skip,
  DefineMacro,
  DefineChar,
  Include,
  Units,
  Alias,
  EndOfInput,
  Message,
  // The font statements, Family to Pts, stand together (isFontCode).
  Family,
  Italic,
  NoItalic,
  Bold,
  NoBold,
  Underline,
  NoUnderline,
  Strike,
  NoStrike,
  Oblique,
  NoOblique,
  Plain,
  Superscript,
  Subscript,
  Normal,
  Pts,
  DefineFont,
  Add2FontCat,
  NoEffect,
  LeftIndent,
  RightIndent,
  FirstIndent,
  SpaceBefore,
  SpaceAfter,
  Leading,
  Alignment,
  AutoNumber,
  NumberFormat,
  NumberFont,
  PgfNumAtEnd,
  Hyphenate,
  ColumnTop,
  WithNext,
  Tolerance,
  BlockSize,
  TabStop,
  TabStopType,
  TabStopLeader,
  TabStops,
  DefinePar,
  DefineTag,
  Character,
  Tab,
  HardSpace,
  EmSpace,
  EnSpace,
  ThinSpace,
  DiscHyphen,
  NoHyphen,
  Cent,
  Pound,
  Yen,
  EnDash,
  EmDash,
  Dagger,
  DoubleDagger,
  Bullet,
  HardReturn,
  AFrame,
  Marker,
  MType,
  MText,
  Footnote,
  Frame,
  InlineFrame,
  Line,
  Arrow,
  Arc,
  Ellipse,
  Rectangle,
  TextLine,
  TextFrame,
  Table,
  TblFrame,
  Span,
  Row,
  Cell,
  CLine,
  TblHeading,
  TblFooting,
  Straddle,
  Rule,
  HSpace,
  Variable,
  XRef,
  EpsFile,
  ImportFile,
  FrameMath,
  Macro,
  ParFormat,
  TagFormat,
};

// Operand letters: # integer, a second name, b boolean, c character, d and m measurement, f two
// numbers, n name, p two measurements, q four measurements, s string, t two integers, u unit,
// x skip to `>`, z read by the handler itself.
struct StatementRow {
  const char* name;
  Code code;
  const char* operands;
};

constexpr std::size_t kBuiltinStatementCount = 126;

extern const StatementRow kBuiltinStatements[kBuiltinStatementCount];

}  // namespace pendra::mlp
