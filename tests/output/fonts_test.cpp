#include "output/fonts.h"

#include <functional>
#include <string>

#include "output/char_commands.h"
#include "output_fixture.h"

namespace pendra::testing {
namespace {

using output::Family;
using output::Font;

class Fonts : public ConvertFixture {
 protected:
  // Writes one character with `last` as the last-written font and `now` as the current one.
  std::string sync(Font last, Font now) {
    restartParagraphs();
    output::fontState().lastWritten = last;
    output::currentFont() = now;
    output::writeRawByte('x');
    return buffer();
  }
  // The buffer after `write` ran in bold with `room` bytes left in the paragraph buffer, marked
  // when the buffer overflowed.
  std::string writtenWithRoom(std::size_t room, const std::function<void()>& write) {
    restartParagraphs();
    output::fontState().lastWritten = Font{};
    output::currentFont() = Font{Family::kTimes, output::kNormalSizeIndex, output::kBold};
    while (output::outputState().length + room < output::kParagraphCapacity &&
           !output::outputState().overflow)
      output::writeTextChar('a');
    write();
    return buffer() + (output::outputState().overflow ? "|cut" : "");
  }
};

TEST_F(Fonts, TablesAsData) {
  EXPECT_EQ(output::kCharacterFormatCount, 19u);
  EXPECT_STREQ(output::kCharacterFormats[0].name, "rm");
  EXPECT_STREQ(output::kCharacterFormats[14].name, "sch");
  EXPECT_EQ(output::kCharacterFormats[14].style, output::kItalic | output::kSuperscript);
  EXPECT_EQ(output::kCharacterFormats[18].size, 9);
  EXPECT_EQ(output::kPointSizes[2][6], 18);
  EXPECT_EQ(output::kPointSizes[3][0], 12);
  EXPECT_EQ(output::kAccentCount, 52u);
  EXPECT_EQ(output::accentedLetter('e', '\''), 0x8E);
  EXPECT_EQ(output::accentedLetter('U', '^'), 0xF3);
  EXPECT_EQ(output::accentedLetter('a', '`'), 0x88);
  EXPECT_EQ(output::accentedLetter('x', '\''), 0);
}

// A string of text is written as its characters one by one would be: the font statements come
// before the first character that is written (leading spaces of a paragraph are not), once, and
// before every character while the style is not known.
TEST_F(Fonts, StringsSynchroniseTheFontAsCharactersDo) {
  const Font bold{Family::kTimes, output::kNormalSizeIndex, output::kBold};
  for (Font now : {bold, Font{Family::kHelvetica, 3, output::kItalic},
                   Font{Family::kTimes, output::kNormalSizeIndex, output::kUnknownStyle}}) {
    for (const char* text : {"  ab c", "<x>", " ", "plain"}) {
      restartParagraphs();
      output::fontState().lastWritten = Font{};
      output::currentFont() = now;
      output::writeTextString(text);
      std::string asString = buffer();
      restartParagraphs();
      output::fontState().lastWritten = Font{};
      output::currentFont() = now;
      for (const char* p = text; *p; ++p) output::writeTextChar(static_cast<unsigned char>(*p));
      EXPECT_EQ(asString, buffer()) << text;
    }
  }
  restartParagraphs();
  output::fontState().lastWritten = Font{};
  output::currentFont() = bold;
  output::writeTextString("  ab");
  EXPECT_EQ(buffer(), "<bf>ab");
}

// Near the end of the paragraph buffer a string is cut where its characters one by one would be.
TEST_F(Fonts, StringsAtTheEndOfTheBufferAreCutAsCharactersAre) {
  const char* text = "word<x>more";
  for (std::size_t room : {0u, 1u, 2u, 5u, 6u, 7u, 12u}) {
    std::string byString = writtenWithRoom(room, [text] { output::writeTextString(text); });
    std::string byCharacter = writtenWithRoom(room, [text] {
      for (const char* p = text; *p; ++p) output::writeTextChar(static_cast<unsigned char>(*p));
    });
    EXPECT_EQ(byString, byCharacter) << room;
  }
}

// Running text goes in words at a time: a text of words with a double space, a trailing space or
// an escaped byte at every place of its first forty bytes, written as a run, comes out as its
// characters one by one, at ease and near the end of the buffer.
TEST_F(Fonts, RunsOfWordsAreWrittenAsTheirCharactersAre) {
  const std::string words = "some words of text for the paragraph, long enough for blocks";
  const std::string odds[] = {"  ", " <", "\\", ">", std::string(" \0x", 3), " "};
  for (const std::string& odd : odds) {
    for (std::size_t at = 1; at < 40; ++at) {
      std::string text = words.substr(0, at) + odd + words.substr(at);
      if (odd == " ") text = words.substr(0, at) + " ";  // a space at the end
      for (std::size_t room : {std::size_t{4096}, std::size_t{20}}) {
        std::string asRun = writtenWithRoom(room, [&text] {
          bool fontInSync = false;
          output::writeTextRun(text.data(), text.size(), fontInSync);
        });
        std::string byCharacter = writtenWithRoom(room, [&text] {
          for (char c : text) output::writeTextChar(static_cast<unsigned char>(c));
        });
        EXPECT_EQ(asRun, byCharacter) << text << " with room " << room;
      }
    }
  }
}

TEST_F(Fonts, CommandsChangeTheFontLazily) {
  EXPECT_EQ(convert("Hello \\textbf{world}.\n"), "\n<Body>\nHello <bf>world<rm>.\n");
  restartParagraphs();
  EXPECT_NE(convert("{\\bf x}\n").find("<bf>x\n"), std::string::npos);
}

TEST_F(Fonts, SizeByCharacterFormat) {
  // Without text after \bf nothing bold was written: only the size changes. (Size commands
  // do not skip the space after them.)
  EXPECT_NE(convert("{\\bf \\LARGE x}\n").find("<pts 14>x\n"), std::string::npos);
  restartParagraphs();
  EXPECT_NE(convert("{\\bf a\\LARGE x}\n").find("<bf>a<rm><pts 14> x\n"), std::string::npos);
  restartParagraphs();
  output::fontState().documentSize = 2;
  EXPECT_NE(convert("{\\LARGE y}{\\Large z}\n").find("<pts 20>y<pts 18> z"), std::string::npos);
}

// A row that matches all three fields is always written; a style change that none matches is
// written as style statements alone.
TEST_F(Fonts, StyleOnlyChangesWriteNoTag) {
  EXPECT_NE(convert("\\textit{a\\textbf{b}c}d\n").find("<em>a<Bold>b<em>c<rm>d"),
            std::string::npos);
}

TEST_F(Fonts, SynchronisationRules) {
  Font boldItalic{Family::kTimes, 3, output::kBold | output::kItalic};
  Font plain{Family::kTimes, 3, 0};
  EXPECT_EQ(sync(boldItalic, plain), "<Plain>x");
  // Two fields differ: the best row's tag first, then what it does not give.
  EXPECT_EQ(sync(Font{Family::kTimes, 4, 0}, Font{Family::kCourier, 4, output::kItalic}),
            "<tt><Italic>x");
  EXPECT_EQ(sync(Font{Family::kTimes, 4, 0}, Font{Family::kTimes, 4, output::kSuperscript}),
            "<Superscript>x");
  EXPECT_EQ(sync(Font{Family::kTimes, 4, output::kSubscript}, Font{Family::kTimes, 4, 0}), "<rm>x");
  // The nearest row found for a font is remembered: fonts that differ by a style bit, or that
  // share a slot of what is remembered, each still get their own, whatever the order.
  Font last{Family::kHelvetica, 7, 0};
  const Font fonts[] = {Font{Family::kTimes, 4, 0}, Font{Family::kTimes, 4, output::kUnderline},
                        Font{Family::kTimes, 4, output::kBold},
                        Font{Family::kCourier, 4, output::kItalic},
                        Font{Family::kTimes, 4, output::kItalic | output::kUnderline}};
  std::string first[std::size(fonts)];
  for (std::size_t i = 0; i < std::size(fonts); ++i) first[i] = sync(last, fonts[i]);
  EXPECT_EQ(first[0], "<rm>x");
  EXPECT_EQ(first[1], "<rm><Underline>x");
  for (std::size_t i = std::size(fonts); i-- > 0;) EXPECT_EQ(sync(last, fonts[i]), first[i]);
  // After the last-written font was forgotten everything is written again.
  restartParagraphs();
  output::resetLastWrittenFont();
  output::currentFont() = Font{Family::kHelvetica, 3, output::kUnderline};
  output::writeRawByte('x');
  EXPECT_EQ(buffer(), "<sf><Underline><pts 9>x");
}

TEST_F(Fonts, BadCodesAreReported) {
  ::testing::internal::CaptureStderr();
  output::TextDispatcher("%f(Q)%s(BZ)%h(nope)");
  output::findCharacterFormat("nope");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("bad font code Q\n"), std::string::npos);
  EXPECT_NE(err.find("unknown style code Z"), std::string::npos);
  EXPECT_NE(err.find("bad character format tag nope\n"), std::string::npos);
  EXPECT_NE(err.find("cannot find font nope\n"), std::string::npos);
  EXPECT_EQ(output::currentFont().style, 0);  // %h resets the style even for an unknown name
}

TEST_F(Fonts, Accents) {
  EXPECT_EQ(convert("\\'e \\'{e} \\\"Ae \\'x\n"),
            "\n<Body>\n\x8E \x8E \x80"
            "e \\\\'{x}\n");
  std::string err;
  convert("\\'{\\ae}z\n", &err);
  EXPECT_NE(err.find("bad use of accent command \\'{..}"), std::string::npos);
  EXPECT_EQ(err.find("mismatched"), std::string::npos);
  restartParagraphs();
  EXPECT_NE(convert("\\^{\\i}\\a`a\n").find("\x94\x88"), std::string::npos);
}

TEST_F(Fonts, Verb) {
  EXPECT_EQ(convert("\\verb|a b| \\verb*|a b|c\n"), "\n<Body>\n<tt>a\\x11  b<rm> <tt>a_b<rm>c\n");
  std::string err;
  convert("\\verb x\n\n\\verb+ab\ncd", &err);
  EXPECT_NE(err.find("`\\verb' must not be followed by white space\n"), std::string::npos);
  EXPECT_NE(err.find("3: unterminated \\verb construct\n"), std::string::npos);
}

TEST_F(Fonts, MboxReadsItsArgumentAsRomanText) {
  EXPECT_NE(convert("\\textit{a\\mbox{b}c}\n").find("<em>a<rm>b<em>c"), std::string::npos);
}

}  // namespace
}  // namespace pendra::testing
