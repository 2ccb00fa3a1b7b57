// The body translated while its definitions come one by one: where the result is kept it is the
// translation of the finished file (the prologue, then the body), and whatever the finished
// prologue would have changed gives the result up.
#include "mlp/alongside.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mlp/translate.h"
#include "translate_util.h"

namespace pendra::mlp {
namespace {

const char* const kRm = "<!DefineFont rm\n\t<Family Times>\n\t<pts 10>\n    <Plain><Normal>\n>\n";
const char* const kEm =
    "<!DefineFont em\n\t<Family Times>\n\t<pts 10>\n    <Plain><Normal><Italic>\n>\n";
const char* const kLg = "<!DefineFont lg\n\t<Family Times>\n\t<pts 14>\n    <Plain><Normal>\n>\n";

std::string par(const std::string& name, const char* font, const char* more = "") {
  return "<!DefinePar " + name + "\n\t<" + font +
         ">\n\t<Alignment LeftRight>\n\t<LeftIndent 0.50\">\n\t<FirstIndent 0.20\">\n"
         "\t<Leading 2pt>\n\t<SpaceBefore 12pt>\n" +
         more + ">\n";
}

struct Sent {
  SentDefinition definition;
  int comesAt = 1;  // the call of takeArrived that hands it over
};

// Hands the definitions over at the calls they are due, as the first stage would.
struct Feed : DefinitionFeed {
  std::vector<Sent> sent;
  PrologueShape shape;
  int calls = 0;
  void takeArrived(std::vector<SentDefinition>& into) override {
    ++calls;
    for (Sent& s : sent)
      if (s.comesAt == calls) into.push_back(s.definition);
  }
  PrologueShape prologueShape() override { return shape; }
};

struct Case {
  std::vector<Sent> sent;             // in any order
  std::vector<std::string> prologue;  // the names, in the finished prologue's order
  std::string body;
};

// The finished file: the header, the definitions in the prologue's order, the body.
std::string finishedFile(const Case& c) {
  std::string text = "<MLP -- created by LaTeX import filter on today>\n";
  for (const std::string& name : c.prologue)
    for (const Sent& s : c.sent)
      if (s.definition.name == name) text += s.definition.text;
  return text + c.body;
}

struct Beside {
  bool usable = false;
  int lines = 0;
  std::string mif;
};

Beside translateBeside(const Case& c) {
  Feed feed;
  feed.sent = c.sent;
  feed.shape.statements = 1 + static_cast<int>(c.prologue.size());
  for (const std::string& name : c.prologue)
    for (const Sent& s : c.sent)
      if (s.definition.name == name && s.definition.place >= 0)
        feed.shape.formatOrder.push_back(name);
  ChannelT in = F_ChannelMakeTmp(1024);
  F_ChannelWrite(c.body.data(), 1, c.body.size(), in);
  F_ChannelSeek(in, 0, SEEK_SET);
  AlongsideResult result = translateAlongside(in, "2.01alpha", feed);
  F_ChannelCloseTmp(in);
  Beside out;
  out.usable = result.usable;
  out.lines = result.bodyLines;
  if (result.usable) {
    ChannelT mif = F_ChannelMakeTmp(1024);
    mif::writeMif(mif, true);
    out.mif = testing::readAll(mif);
    F_ChannelCloseTmp(mif);
  }
  mif::releaseMif();
  EXPECT_FALSE(translatingAlongside());
  return out;
}

// Kept, and the same as the finished file's translation, lines included.
void expectKept(const Case& c) {
  Beside beside = translateBeside(c);
  testing::Translation whole = testing::translate(finishedFile(c));
  ASSERT_TRUE(whole.ok);
  ASSERT_TRUE(beside.usable) << c.body;
  EXPECT_EQ(beside.mif, whole.mif);
  int prologueLines = 1;
  for (const std::string& name : c.prologue)
    for (const Sent& s : c.sent)
      if (s.definition.name == name)
        prologueLines +=
            static_cast<int>(std::count(s.definition.text.begin(), s.definition.text.end(), '\n'));
  EXPECT_NE(whole.console.find("Processing complete -- " +
                               std::to_string(prologueLines + beside.lines) + " lines"),
            std::string::npos)
      << whole.console;
}

std::string filler(std::size_t bytes) {
  std::string text;
  while (text.size() < bytes) text += "Words of a paragraph that fill the body's first blocks.\n";
  return text + "\n";
}

Case headingAndBody(const std::string& body) {
  return Case{{{{"rm", kRm, -1}},
               {{"em", kEm, -1}},
               {{"1Heading", par("1Heading", "rm", "\t<TabStops <TabStop 0.3\">>\n"), 5}},
               {{"Body", par("Body", "rm"), 2}}},
              {"rm", "em", "1Heading", "Body"},
              body};
}

TEST(TranslationBeside, DefinitionsRunWhereTheBodyFirstNamesThem) {
  // Formats and fonts first named deep in the body, a format's tab stops not leaking into the
  // next definition, and one definition the body never names.
  expectKept(headingAndBody("\n<1Heading>\nIntro\n<Body>\nHello <em>world<rm>.\n\nSecond.\n"));
  expectKept(headingAndBody("\n<Body>\n" + filler(3000) + "<1Heading>\nLate\n<Body>\n<em>x\n"));
  expectKept(headingAndBody("\n<Body>\nNo heading at all.\n"));
  // The body begins with text, a space or line feeds: the prologue's last format set the font.
  expectKept(headingAndBody("Text first.\n<Body>\nmore\n"));
  expectKept(headingAndBody("\n\n\n Spaced.\n\n<1Heading>\nH\n"));
  expectKept(headingAndBody("<em>First in italics.\n"));
}

TEST(TranslationBeside, WhatTheFinishedPrologueChangesGivesTheResultUp) {
  // The prologue's last format turns out to have another font than the one the start took.
  Case lateAuthor{{{{"rm", kRm, -1}},
                   {{"Body", par("Body", "rm"), 2}},
                   {{"lg", kLg, -1}, 6},
                   {{"Author", par("Author", "lg"), 1}, 6}},
                  {"rm", "lg", "Body", "Author"},
                  "Text first.\n" + filler(10000) + "<Author>\nMe\n"};
  EXPECT_FALSE(translateBeside(lateAuthor).usable);
  // The same with the author's format there from the start is kept.
  lateAuthor.sent[2].comesAt = lateAuthor.sent[3].comesAt = 1;
  expectKept(lateAuthor);

  // A font named before its definition came.
  Case lateFont = headingAndBody("\n<Body>\n<em>early\n" + filler(10000) + "<em>late\n");
  lateFont.sent[1].comesAt = 6;
  EXPECT_FALSE(translateBeside(lateFont).usable);

  // A format that takes a built-in statement's name, after the body used that statement.
  Case bullet{{{{"rm", kRm, -1}},
               {{"Body", par("Body", "rm"), 2}},
               {{"Bullet", par("Bullet", "rm"), 3}, 6}},
              {"rm", "Bullet", "Body"},
              "\n<Body>\nA <Bullet> here.\n" + filler(10000) + "<Bullet>\nitem\n"};
  EXPECT_FALSE(translateBeside(bullet).usable);
  // Come before the body used it, the statement is the format's from the start, as in the file.
  bullet.sent[2].comesAt = 1;
  expectKept(bullet);

  // A definition in the body itself, and two definitions of one name.
  EXPECT_FALSE(translateBeside(headingAndBody("\n<Body>\n<!DefineFont zz <pts 9>>\nx\n")).usable);
  Case twice = headingAndBody("\n<Body>\nx\n");
  twice.sent.push_back({{"Body", par("Body", "em"), 7}});
  EXPECT_FALSE(translateBeside(twice).usable);

  // An error of the translation: the finished file reports it.
  EXPECT_FALSE(translateBeside(headingAndBody("\n<Body>\nx > y\n")).usable);
}

}  // namespace
}  // namespace pendra::mlp
