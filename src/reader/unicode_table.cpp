// The characters beyond ASCII and what a MIF document holds for each, and the upper halves of
// the 8-bit input encodings. Data only.
//
// A row gives the template the character runs as in text: a FrameRoman character in the current
// font ("\x8e "), in Times where the commands of the same character write it so (dashes and
// quotes), a Symbol font character, a FrameMaker space; and the command that math mode runs in
// its place (what \alpha, \le, \rightarrow give there). Stand-ins are the nearest plain text
// for letters and signs the fonts lack (the base letter of an accented one); the reader reports
// each once.
#include "common/table_check.h"
#include "reader/unicode.h"

namespace pendra::reader {

namespace {

using enum Fidelity;

// clang-format off
constexpr UnicodeRow kRows[] = {
    {0x00A0, R"t(%z(~))t", nullptr, kExact},  // no-break space
    {0x00A1, R"t(\xc1 )t", nullptr, kExact},  // inverted exclamation mark
    {0x00A2, R"t(\xa2 )t", nullptr, kExact},  // cent sign
    {0x00A3, R"t(\xa3 )t", nullptr, kExact},  // pound sign
    {0x00A4, R"t(\xdb )t", nullptr, kExact},  // currency sign
    {0x00A5, R"t(\xb4 )t", nullptr, kExact},  // yen sign
    {0x00A6, R"t(|)t", nullptr, kStandIn},  // broken bar
    {0x00A7, R"t(\xa4 )t", nullptr, kExact},  // section sign
    {0x00A8, R"t(\xac )t", nullptr, kExact},  // diaeresis
    {0x00A9, R"t(\xa9 )t", nullptr, kExact},  // copyright sign
    {0x00AA, R"t(\xbb )t", nullptr, kExact},  // feminine ordinal indicator
    {0x00AB, R"t(\xc7 )t", nullptr, kExact},  // left-pointing double angle quotation mark
    {0x00AC, R"t(\xc2 )t", R"t(\neg)t", kExact},  // not sign
    {0x00AD, R"t()t", nullptr, kExact},  // soft hyphen
    {0x00AE, R"t(\xa8 )t", nullptr, kExact},  // registered sign
    {0x00AF, R"t(\xf8 )t", nullptr, kExact},  // macron
    {0x00B0, R"t(\xa1 )t", nullptr, kExact},  // degree sign
    {0x00B1, R"t(%f(S)\xb1 %0)t", R"t(\pm)t", kExact},  // plus-minus sign
    {0x00B2, R"t(2)t", nullptr, kStandIn},  // superscript two
    {0x00B3, R"t(3)t", nullptr, kStandIn},  // superscript three
    {0x00B4, R"t(\xab )t", nullptr, kExact},  // acute accent
    {0x00B5, R"t(%f(S)m%0)t", R"t(\mu)t", kExact},  // micro sign
    {0x00B6, R"t(\xa6 )t", nullptr, kExact},  // pilcrow sign
    {0x00B7, R"t(\xe1 )t", R"t(\cdot)t", kExact},  // middle dot
    {0x00B8, R"t(\xfc )t", nullptr, kExact},  // cedilla
    {0x00B9, R"t(1)t", nullptr, kStandIn},  // superscript one
    {0x00BA, R"t(\xbc )t", nullptr, kExact},  // masculine ordinal indicator
    {0x00BB, R"t(\xc8 )t", nullptr, kExact},  // right-pointing double angle quotation mark
    {0x00BC, R"t(1/4)t", nullptr, kStandIn},  // vulgar fraction one quarter
    {0x00BD, R"t(1/2)t", nullptr, kStandIn},  // vulgar fraction one half
    {0x00BE, R"t(3/4)t", nullptr, kStandIn},  // vulgar fraction three quarters
    {0x00BF, R"t(\xc0 )t", nullptr, kExact},  // inverted question mark
    {0x00C0, R"t(\xcb )t", nullptr, kExact},  // latin capital letter a with grave
    {0x00C1, R"t(\xe7 )t", nullptr, kExact},  // latin capital letter a with acute
    {0x00C2, R"t(\xe5 )t", nullptr, kExact},  // latin capital letter a with circumflex
    {0x00C3, R"t(\xcc )t", nullptr, kExact},  // latin capital letter a with tilde
    {0x00C4, R"t(\x80 )t", nullptr, kExact},  // latin capital letter a with diaeresis
    {0x00C5, R"t(\x81 )t", nullptr, kExact},  // latin capital letter a with ring above
    {0x00C6, R"t(\xae )t", nullptr, kExact},  // latin capital letter ae
    {0x00C7, R"t(\x82 )t", nullptr, kExact},  // latin capital letter c with cedilla
    {0x00C8, R"t(\xe9 )t", nullptr, kExact},  // latin capital letter e with grave
    {0x00C9, R"t(\x83 )t", nullptr, kExact},  // latin capital letter e with acute
    {0x00CA, R"t(\xe6 )t", nullptr, kExact},  // latin capital letter e with circumflex
    {0x00CB, R"t(\xe8 )t", nullptr, kExact},  // latin capital letter e with diaeresis
    {0x00CC, R"t(\xed )t", nullptr, kExact},  // latin capital letter i with grave
    {0x00CD, R"t(\xea )t", nullptr, kExact},  // latin capital letter i with acute
    {0x00CE, R"t(\xeb )t", nullptr, kExact},  // latin capital letter i with circumflex
    {0x00CF, R"t(\xec )t", nullptr, kExact},  // latin capital letter i with diaeresis
    {0x00D0, R"t(D)t", nullptr, kStandIn},  // latin capital letter eth
    {0x00D1, R"t(\x84 )t", nullptr, kExact},  // latin capital letter n with tilde
    {0x00D2, R"t(\xf1 )t", nullptr, kExact},  // latin capital letter o with grave
    {0x00D3, R"t(\xee )t", nullptr, kExact},  // latin capital letter o with acute
    {0x00D4, R"t(\xef )t", nullptr, kExact},  // latin capital letter o with circumflex
    {0x00D5, R"t(\xcd )t", nullptr, kExact},  // latin capital letter o with tilde
    {0x00D6, R"t(\x85 )t", nullptr, kExact},  // latin capital letter o with diaeresis
    {0x00D7, R"t(%f(S)\xb4 %0)t", R"t(\times)t", kExact},  // multiplication sign
    {0x00D8, R"t(\xaf )t", nullptr, kExact},  // latin capital letter o with stroke
    {0x00D9, R"t(\xf4 )t", nullptr, kExact},  // latin capital letter u with grave
    {0x00DA, R"t(\xf2 )t", nullptr, kExact},  // latin capital letter u with acute
    {0x00DB, R"t(\xf3 )t", nullptr, kExact},  // latin capital letter u with circumflex
    {0x00DC, R"t(\x86 )t", nullptr, kExact},  // latin capital letter u with diaeresis
    {0x00DD, R"t(Y)t", nullptr, kStandIn},  // latin capital letter y with acute
    {0x00DE, R"t(Th)t", nullptr, kStandIn},  // latin capital letter thorn
    {0x00DF, R"t(\xa7 )t", nullptr, kExact},  // latin small letter sharp s
    {0x00E0, R"t(\x88 )t", nullptr, kExact},  // latin small letter a with grave
    {0x00E1, R"t(\x87 )t", nullptr, kExact},  // latin small letter a with acute
    {0x00E2, R"t(\x89 )t", nullptr, kExact},  // latin small letter a with circumflex
    {0x00E3, R"t(\x8b )t", nullptr, kExact},  // latin small letter a with tilde
    {0x00E4, R"t(\x8a )t", nullptr, kExact},  // latin small letter a with diaeresis
    {0x00E5, R"t(\x8c )t", nullptr, kExact},  // latin small letter a with ring above
    {0x00E6, R"t(\xbe )t", nullptr, kExact},  // latin small letter ae
    {0x00E7, R"t(\x8d )t", nullptr, kExact},  // latin small letter c with cedilla
    {0x00E8, R"t(\x8f )t", nullptr, kExact},  // latin small letter e with grave
    {0x00E9, R"t(\x8e )t", nullptr, kExact},  // latin small letter e with acute
    {0x00EA, R"t(\x90 )t", nullptr, kExact},  // latin small letter e with circumflex
    {0x00EB, R"t(\x91 )t", nullptr, kExact},  // latin small letter e with diaeresis
    {0x00EC, R"t(\x93 )t", nullptr, kExact},  // latin small letter i with grave
    {0x00ED, R"t(\x92 )t", nullptr, kExact},  // latin small letter i with acute
    {0x00EE, R"t(\x94 )t", nullptr, kExact},  // latin small letter i with circumflex
    {0x00EF, R"t(\x95 )t", nullptr, kExact},  // latin small letter i with diaeresis
    {0x00F0, R"t(d)t", nullptr, kStandIn},  // latin small letter eth
    {0x00F1, R"t(\x96 )t", nullptr, kExact},  // latin small letter n with tilde
    {0x00F2, R"t(\x98 )t", nullptr, kExact},  // latin small letter o with grave
    {0x00F3, R"t(\x97 )t", nullptr, kExact},  // latin small letter o with acute
    {0x00F4, R"t(\x99 )t", nullptr, kExact},  // latin small letter o with circumflex
    {0x00F5, R"t(\x9b )t", nullptr, kExact},  // latin small letter o with tilde
    {0x00F6, R"t(\x9a )t", nullptr, kExact},  // latin small letter o with diaeresis
    {0x00F7, R"t(\xd6 )t", R"t(\div)t", kExact},  // division sign
    {0x00F8, R"t(\xbf )t", nullptr, kExact},  // latin small letter o with stroke
    {0x00F9, R"t(\x9d )t", nullptr, kExact},  // latin small letter u with grave
    {0x00FA, R"t(\x9c )t", nullptr, kExact},  // latin small letter u with acute
    {0x00FB, R"t(\x9e )t", nullptr, kExact},  // latin small letter u with circumflex
    {0x00FC, R"t(\x9f )t", nullptr, kExact},  // latin small letter u with diaeresis
    {0x00FD, R"t(y)t", nullptr, kStandIn},  // latin small letter y with acute
    {0x00FE, R"t(th)t", nullptr, kStandIn},  // latin small letter thorn
    {0x00FF, R"t(\xd8 )t", nullptr, kExact},  // latin small letter y with diaeresis
    {0x0100, R"t(A)t", nullptr, kStandIn},  // latin capital letter a with macron
    {0x0101, R"t(a)t", nullptr, kStandIn},  // latin small letter a with macron
    {0x0102, R"t(A)t", nullptr, kStandIn},  // latin capital letter a with breve
    {0x0103, R"t(a)t", nullptr, kStandIn},  // latin small letter a with breve
    {0x0104, R"t(A)t", nullptr, kStandIn},  // latin capital letter a with ogonek
    {0x0105, R"t(a)t", nullptr, kStandIn},  // latin small letter a with ogonek
    {0x0106, R"t(C)t", nullptr, kStandIn},  // latin capital letter c with acute
    {0x0107, R"t(c)t", nullptr, kStandIn},  // latin small letter c with acute
    {0x0108, R"t(C)t", nullptr, kStandIn},  // latin capital letter c with circumflex
    {0x0109, R"t(c)t", nullptr, kStandIn},  // latin small letter c with circumflex
    {0x010A, R"t(C)t", nullptr, kStandIn},  // latin capital letter c with dot above
    {0x010B, R"t(c)t", nullptr, kStandIn},  // latin small letter c with dot above
    {0x010C, R"t(C)t", nullptr, kStandIn},  // latin capital letter c with caron
    {0x010D, R"t(c)t", nullptr, kStandIn},  // latin small letter c with caron
    {0x010E, R"t(D)t", nullptr, kStandIn},  // latin capital letter d with caron
    {0x010F, R"t(d)t", nullptr, kStandIn},  // latin small letter d with caron
    {0x0110, R"t(D)t", nullptr, kStandIn},  // latin capital letter d with stroke
    {0x0111, R"t(d)t", nullptr, kStandIn},  // latin small letter d with stroke
    {0x0112, R"t(E)t", nullptr, kStandIn},  // latin capital letter e with macron
    {0x0113, R"t(e)t", nullptr, kStandIn},  // latin small letter e with macron
    {0x0114, R"t(E)t", nullptr, kStandIn},  // latin capital letter e with breve
    {0x0115, R"t(e)t", nullptr, kStandIn},  // latin small letter e with breve
    {0x0116, R"t(E)t", nullptr, kStandIn},  // latin capital letter e with dot above
    {0x0117, R"t(e)t", nullptr, kStandIn},  // latin small letter e with dot above
    {0x0118, R"t(E)t", nullptr, kStandIn},  // latin capital letter e with ogonek
    {0x0119, R"t(e)t", nullptr, kStandIn},  // latin small letter e with ogonek
    {0x011A, R"t(E)t", nullptr, kStandIn},  // latin capital letter e with caron
    {0x011B, R"t(e)t", nullptr, kStandIn},  // latin small letter e with caron
    {0x011C, R"t(G)t", nullptr, kStandIn},  // latin capital letter g with circumflex
    {0x011D, R"t(g)t", nullptr, kStandIn},  // latin small letter g with circumflex
    {0x011E, R"t(G)t", nullptr, kStandIn},  // latin capital letter g with breve
    {0x011F, R"t(g)t", nullptr, kStandIn},  // latin small letter g with breve
    {0x0120, R"t(G)t", nullptr, kStandIn},  // latin capital letter g with dot above
    {0x0121, R"t(g)t", nullptr, kStandIn},  // latin small letter g with dot above
    {0x0122, R"t(G)t", nullptr, kStandIn},  // latin capital letter g with cedilla
    {0x0123, R"t(g)t", nullptr, kStandIn},  // latin small letter g with cedilla
    {0x0124, R"t(H)t", nullptr, kStandIn},  // latin capital letter h with circumflex
    {0x0125, R"t(h)t", nullptr, kStandIn},  // latin small letter h with circumflex
    {0x0126, R"t(H)t", nullptr, kStandIn},  // latin capital letter h with stroke
    {0x0127, R"t(h)t", nullptr, kStandIn},  // latin small letter h with stroke
    {0x0128, R"t(I)t", nullptr, kStandIn},  // latin capital letter i with tilde
    {0x0129, R"t(i)t", nullptr, kStandIn},  // latin small letter i with tilde
    {0x012A, R"t(I)t", nullptr, kStandIn},  // latin capital letter i with macron
    {0x012B, R"t(i)t", nullptr, kStandIn},  // latin small letter i with macron
    {0x012C, R"t(I)t", nullptr, kStandIn},  // latin capital letter i with breve
    {0x012D, R"t(i)t", nullptr, kStandIn},  // latin small letter i with breve
    {0x012E, R"t(I)t", nullptr, kStandIn},  // latin capital letter i with ogonek
    {0x012F, R"t(i)t", nullptr, kStandIn},  // latin small letter i with ogonek
    {0x0130, R"t(I)t", nullptr, kStandIn},  // latin capital letter i with dot above
    {0x0131, R"t(\xf5 )t", nullptr, kExact},  // latin small letter dotless i
    {0x0132, R"t(IJ)t", nullptr, kStandIn},  // latin capital ligature ij
    {0x0133, R"t(ij)t", nullptr, kStandIn},  // latin small ligature ij
    {0x0134, R"t(J)t", nullptr, kStandIn},  // latin capital letter j with circumflex
    {0x0135, R"t(j)t", nullptr, kStandIn},  // latin small letter j with circumflex
    {0x0136, R"t(K)t", nullptr, kStandIn},  // latin capital letter k with cedilla
    {0x0137, R"t(k)t", nullptr, kStandIn},  // latin small letter k with cedilla
    {0x0138, R"t(k)t", nullptr, kStandIn},  // latin small letter kra
    {0x0139, R"t(L)t", nullptr, kStandIn},  // latin capital letter l with acute
    {0x013A, R"t(l)t", nullptr, kStandIn},  // latin small letter l with acute
    {0x013B, R"t(L)t", nullptr, kStandIn},  // latin capital letter l with cedilla
    {0x013C, R"t(l)t", nullptr, kStandIn},  // latin small letter l with cedilla
    {0x013D, R"t(L)t", nullptr, kStandIn},  // latin capital letter l with caron
    {0x013E, R"t(l)t", nullptr, kStandIn},  // latin small letter l with caron
    {0x013F, R"t(L)t", nullptr, kStandIn},  // latin capital letter l with middle dot
    {0x0140, R"t(l)t", nullptr, kStandIn},  // latin small letter l with middle dot
    {0x0141, R"t(L)t", nullptr, kStandIn},  // latin capital letter l with stroke
    {0x0142, R"t(l)t", nullptr, kStandIn},  // latin small letter l with stroke
    {0x0143, R"t(N)t", nullptr, kStandIn},  // latin capital letter n with acute
    {0x0144, R"t(n)t", nullptr, kStandIn},  // latin small letter n with acute
    {0x0145, R"t(N)t", nullptr, kStandIn},  // latin capital letter n with cedilla
    {0x0146, R"t(n)t", nullptr, kStandIn},  // latin small letter n with cedilla
    {0x0147, R"t(N)t", nullptr, kStandIn},  // latin capital letter n with caron
    {0x0148, R"t(n)t", nullptr, kStandIn},  // latin small letter n with caron
    {0x0149, R"t('n)t", nullptr, kStandIn},  // latin small letter n preceded by apostrophe
    {0x014A, R"t(N)t", nullptr, kStandIn},  // latin capital letter eng
    {0x014B, R"t(n)t", nullptr, kStandIn},  // latin small letter eng
    {0x014C, R"t(O)t", nullptr, kStandIn},  // latin capital letter o with macron
    {0x014D, R"t(o)t", nullptr, kStandIn},  // latin small letter o with macron
    {0x014E, R"t(O)t", nullptr, kStandIn},  // latin capital letter o with breve
    {0x014F, R"t(o)t", nullptr, kStandIn},  // latin small letter o with breve
    {0x0150, R"t(O)t", nullptr, kStandIn},  // latin capital letter o with double acute
    {0x0151, R"t(o)t", nullptr, kStandIn},  // latin small letter o with double acute
    {0x0152, R"t(\xce )t", nullptr, kExact},  // latin capital ligature oe
    {0x0153, R"t(\xcf )t", nullptr, kExact},  // latin small ligature oe
    {0x0154, R"t(R)t", nullptr, kStandIn},  // latin capital letter r with acute
    {0x0155, R"t(r)t", nullptr, kStandIn},  // latin small letter r with acute
    {0x0156, R"t(R)t", nullptr, kStandIn},  // latin capital letter r with cedilla
    {0x0157, R"t(r)t", nullptr, kStandIn},  // latin small letter r with cedilla
    {0x0158, R"t(R)t", nullptr, kStandIn},  // latin capital letter r with caron
    {0x0159, R"t(r)t", nullptr, kStandIn},  // latin small letter r with caron
    {0x015A, R"t(S)t", nullptr, kStandIn},  // latin capital letter s with acute
    {0x015B, R"t(s)t", nullptr, kStandIn},  // latin small letter s with acute
    {0x015C, R"t(S)t", nullptr, kStandIn},  // latin capital letter s with circumflex
    {0x015D, R"t(s)t", nullptr, kStandIn},  // latin small letter s with circumflex
    {0x015E, R"t(S)t", nullptr, kStandIn},  // latin capital letter s with cedilla
    {0x015F, R"t(s)t", nullptr, kStandIn},  // latin small letter s with cedilla
    {0x0160, R"t(S)t", nullptr, kStandIn},  // latin capital letter s with caron
    {0x0161, R"t(s)t", nullptr, kStandIn},  // latin small letter s with caron
    {0x0162, R"t(T)t", nullptr, kStandIn},  // latin capital letter t with cedilla
    {0x0163, R"t(t)t", nullptr, kStandIn},  // latin small letter t with cedilla
    {0x0164, R"t(T)t", nullptr, kStandIn},  // latin capital letter t with caron
    {0x0165, R"t(t)t", nullptr, kStandIn},  // latin small letter t with caron
    {0x0166, R"t(T)t", nullptr, kStandIn},  // latin capital letter t with stroke
    {0x0167, R"t(t)t", nullptr, kStandIn},  // latin small letter t with stroke
    {0x0168, R"t(U)t", nullptr, kStandIn},  // latin capital letter u with tilde
    {0x0169, R"t(u)t", nullptr, kStandIn},  // latin small letter u with tilde
    {0x016A, R"t(U)t", nullptr, kStandIn},  // latin capital letter u with macron
    {0x016B, R"t(u)t", nullptr, kStandIn},  // latin small letter u with macron
    {0x016C, R"t(U)t", nullptr, kStandIn},  // latin capital letter u with breve
    {0x016D, R"t(u)t", nullptr, kStandIn},  // latin small letter u with breve
    {0x016E, R"t(U)t", nullptr, kStandIn},  // latin capital letter u with ring above
    {0x016F, R"t(u)t", nullptr, kStandIn},  // latin small letter u with ring above
    {0x0170, R"t(U)t", nullptr, kStandIn},  // latin capital letter u with double acute
    {0x0171, R"t(u)t", nullptr, kStandIn},  // latin small letter u with double acute
    {0x0172, R"t(U)t", nullptr, kStandIn},  // latin capital letter u with ogonek
    {0x0173, R"t(u)t", nullptr, kStandIn},  // latin small letter u with ogonek
    {0x0174, R"t(W)t", nullptr, kStandIn},  // latin capital letter w with circumflex
    {0x0175, R"t(w)t", nullptr, kStandIn},  // latin small letter w with circumflex
    {0x0176, R"t(Y)t", nullptr, kStandIn},  // latin capital letter y with circumflex
    {0x0177, R"t(y)t", nullptr, kStandIn},  // latin small letter y with circumflex
    {0x0178, R"t(\xd9 )t", nullptr, kExact},  // latin capital letter y with diaeresis
    {0x0179, R"t(Z)t", nullptr, kStandIn},  // latin capital letter z with acute
    {0x017A, R"t(z)t", nullptr, kStandIn},  // latin small letter z with acute
    {0x017B, R"t(Z)t", nullptr, kStandIn},  // latin capital letter z with dot above
    {0x017C, R"t(z)t", nullptr, kStandIn},  // latin small letter z with dot above
    {0x017D, R"t(Z)t", nullptr, kStandIn},  // latin capital letter z with caron
    {0x017E, R"t(z)t", nullptr, kStandIn},  // latin small letter z with caron
    {0x017F, R"t(s)t", nullptr, kStandIn},  // latin small letter long s
    {0x0192, R"t(\xc4 )t", nullptr, kExact},  // latin small letter f with hook
    {0x02C6, R"t(\xf6 )t", nullptr, kExact},  // modifier letter circumflex accent
    {0x02C7, R"t(\xff )t", nullptr, kExact},  // caron
    {0x02D8, R"t(\xf9 )t", nullptr, kExact},  // breve
    {0x02D9, R"t(\xfa )t", nullptr, kExact},  // dot above
    {0x02DA, R"t(\xfb )t", nullptr, kExact},  // ring above
    {0x02DB, R"t(\xfe )t", nullptr, kExact},  // ogonek
    {0x02DC, R"t(\xf7 )t", nullptr, kExact},  // small tilde
    {0x02DD, R"t(\xfd )t", nullptr, kExact},  // double acute accent
    {0x0391, R"t(%f(S)A%0)t", nullptr, kExact},  // greek capital letter alpha
    {0x0392, R"t(%f(S)B%0)t", nullptr, kExact},  // greek capital letter beta
    {0x0393, R"t(%f(S)G%0)t", R"t(\Gamma)t", kExact},  // greek capital letter gamma
    {0x0394, R"t(%f(S)D%0)t", R"t(\Delta)t", kExact},  // greek capital letter delta
    {0x0395, R"t(%f(S)E%0)t", nullptr, kExact},  // greek capital letter epsilon
    {0x0396, R"t(%f(S)Z%0)t", nullptr, kExact},  // greek capital letter zeta
    {0x0397, R"t(%f(S)H%0)t", nullptr, kExact},  // greek capital letter eta
    {0x0398, R"t(%f(S)Q%0)t", R"t(\Theta)t", kExact},  // greek capital letter theta
    {0x0399, R"t(%f(S)I%0)t", nullptr, kExact},  // greek capital letter iota
    {0x039A, R"t(%f(S)K%0)t", nullptr, kExact},  // greek capital letter kappa
    {0x039B, R"t(%f(S)L%0)t", R"t(\Lambda)t", kExact},  // greek capital letter lamda
    {0x039C, R"t(%f(S)M%0)t", nullptr, kExact},  // greek capital letter mu
    {0x039D, R"t(%f(S)N%0)t", nullptr, kExact},  // greek capital letter nu
    {0x039E, R"t(%f(S)X%0)t", R"t(\Xi)t", kExact},  // greek capital letter xi
    {0x039F, R"t(%f(S)O%0)t", nullptr, kExact},  // greek capital letter omicron
    {0x03A0, R"t(%f(S)P%0)t", R"t(\Pi)t", kExact},  // greek capital letter pi
    {0x03A1, R"t(%f(S)R%0)t", nullptr, kExact},  // greek capital letter rho
    {0x03A3, R"t(%f(S)S%0)t", R"t(\Sigma)t", kExact},  // greek capital letter sigma
    {0x03A4, R"t(%f(S)T%0)t", nullptr, kExact},  // greek capital letter tau
    {0x03A5, R"t(%f(S)U%0)t", R"t(\Upsilon)t", kExact},  // greek capital letter upsilon
    {0x03A6, R"t(%f(S)F%0)t", R"t(\Phi)t", kExact},  // greek capital letter phi
    {0x03A7, R"t(%f(S)C%0)t", nullptr, kExact},  // greek capital letter chi
    {0x03A8, R"t(%f(S)Y%0)t", R"t(\Psi)t", kExact},  // greek capital letter psi
    {0x03A9, R"t(%f(S)W%0)t", R"t(\Omega)t", kExact},  // greek capital letter omega
    {0x03B1, R"t(%f(S)a%0)t", R"t(\alpha)t", kExact},  // greek small letter alpha
    {0x03B2, R"t(%f(S)b%0)t", R"t(\beta)t", kExact},  // greek small letter beta
    {0x03B3, R"t(%f(S)g%0)t", R"t(\gamma)t", kExact},  // greek small letter gamma
    {0x03B4, R"t(%f(S)d%0)t", R"t(\delta)t", kExact},  // greek small letter delta
    {0x03B5, R"t(%f(S)e%0)t", R"t(\varepsilon)t", kExact},  // greek small letter epsilon
    {0x03B6, R"t(%f(S)z%0)t", R"t(\zeta)t", kExact},  // greek small letter zeta
    {0x03B7, R"t(%f(S)h%0)t", R"t(\eta)t", kExact},  // greek small letter eta
    {0x03B8, R"t(%f(S)q%0)t", R"t(\theta)t", kExact},  // greek small letter theta
    {0x03B9, R"t(%f(S)i%0)t", R"t(\iota)t", kExact},  // greek small letter iota
    {0x03BA, R"t(%f(S)k%0)t", R"t(\kappa)t", kExact},  // greek small letter kappa
    {0x03BB, R"t(%f(S)l%0)t", R"t(\lambda)t", kExact},  // greek small letter lamda
    {0x03BC, R"t(%f(S)m%0)t", R"t(\mu)t", kExact},  // greek small letter mu
    {0x03BD, R"t(%f(S)n%0)t", R"t(\nu)t", kExact},  // greek small letter nu
    {0x03BE, R"t(%f(S)x%0)t", R"t(\xi)t", kExact},  // greek small letter xi
    {0x03BF, R"t(%f(S)o%0)t", nullptr, kExact},  // greek small letter omicron
    {0x03C0, R"t(%f(S)p%0)t", R"t(\pi)t", kExact},  // greek small letter pi
    {0x03C1, R"t(%f(S)r%0)t", R"t(\rho)t", kExact},  // greek small letter rho
    {0x03C2, R"t(%f(S)V%0)t", R"t(\varsigma)t", kExact},  // greek small letter final sigma
    {0x03C3, R"t(%f(S)s%0)t", R"t(\sigma)t", kExact},  // greek small letter sigma
    {0x03C4, R"t(%f(S)t%0)t", R"t(\tau)t", kExact},  // greek small letter tau
    {0x03C5, R"t(%f(S)u%0)t", R"t(\upsilon)t", kExact},  // greek small letter upsilon
    {0x03C6, R"t(%f(S)f%0)t", R"t(\varphi)t", kExact},  // greek small letter phi
    {0x03C7, R"t(%f(S)c%0)t", R"t(\chi)t", kExact},  // greek small letter chi
    {0x03C8, R"t(%f(S)y%0)t", R"t(\psi)t", kExact},  // greek small letter psi
    {0x03C9, R"t(%f(S)w%0)t", R"t(\omega)t", kExact},  // greek small letter omega
    {0x03D1, R"t(%f(S)J%0)t", R"t(\vartheta)t", kExact},  // greek theta symbol
    {0x03D5, R"t(%f(S)j%0)t", R"t(\phi)t", kExact},  // greek phi symbol
    {0x03D6, R"t(%f(S)v%0)t", R"t(\varpi)t", kExact},  // greek pi symbol
    {0x03F5, R"t(%f(S)e%0)t", R"t(\epsilon)t", kExact},  // greek lunate epsilon symbol
    {0x2002, R"t( )t", nullptr, kExact},  // en space
    {0x2003, R"t( )t", nullptr, kExact},  // em space
    {0x2004, R"t( )t", nullptr, kExact},  // three-per-em space
    {0x2005, R"t( )t", nullptr, kExact},  // four-per-em space
    {0x2006, R"t( )t", nullptr, kExact},  // six-per-em space
    {0x2007, R"t( )t", nullptr, kExact},  // figure space
    {0x2008, R"t( )t", nullptr, kExact},  // punctuation space
    {0x2009, R"t(%z(,))t", nullptr, kExact},  // thin space
    {0x200A, R"t(%z(,))t", nullptr, kExact},  // hair space
    {0x200B, R"t()t", nullptr, kExact},  // zero width space
    {0x200C, R"t()t", nullptr, kExact},  // zero width non-joiner
    {0x200D, R"t()t", nullptr, kExact},  // zero width joiner
    {0x2010, R"t(-)t", nullptr, kExact},  // hyphen
    {0x2011, R"t(-)t", nullptr, kExact},  // non-breaking hyphen
    {0x2012, R"t(\xd0 )t", nullptr, kExact},  // figure dash
    {0x2013, R"t(%f(T)\xd0 %0)t", nullptr, kExact},  // en dash
    {0x2014, R"t(%f(T)\xd1 %0)t", nullptr, kExact},  // em dash
    {0x2015, R"t(%f(T)\xd1 %0)t", nullptr, kExact},  // horizontal bar
    {0x2016, R"t(||)t", R"t(\parallel)t", kStandIn},  // double vertical line
    {0x2018, R"t(\xd4 )t", nullptr, kExact},  // left single quotation mark
    {0x2019, R"t(%f(T)\xd5 %0)t", nullptr, kExact},  // right single quotation mark
    {0x201A, R"t(\xe2 )t", nullptr, kExact},  // single low-9 quotation mark
    {0x201C, R"t(%f(T)\xd2 %0)t", nullptr, kExact},  // left double quotation mark
    {0x201D, R"t(%f(T)\xd3 %0)t", nullptr, kExact},  // right double quotation mark
    {0x201E, R"t(%f(T)\xe3 %0)t", nullptr, kExact},  // double low-9 quotation mark
    {0x2020, R"t(%f(T)\xa0 %0)t", R"t(\dagger)t", kExact},  // dagger
    {0x2021, R"t(%f(T)\xe0 %0)t", R"t(\ddagger)t", kExact},  // double dagger
    {0x2022, R"t(\xa5 )t", R"t(\bullet)t", kExact},  // bullet
    {0x2026, R"t(\xc9 )t", R"t(\ldots)t", kExact},  // horizontal ellipsis
    {0x202F, R"t(%z(~))t", nullptr, kExact},  // narrow no-break space
    {0x2030, R"t(\xe4 )t", nullptr, kExact},  // per mille sign
    {0x2032, R"t(%f(S)\xa2 %0)t", R"t(\prime)t", kExact},  // prime
    {0x2033, R"t(%f(S)\xb2 %0)t", nullptr, kExact},  // double prime
    {0x2039, R"t(\xdc )t", nullptr, kExact},  // single left-pointing angle quotation mark
    {0x203A, R"t(\xdd )t", nullptr, kExact},  // single right-pointing angle quotation mark
    {0x2044, R"t(\xda )t", nullptr, kExact},  // fraction slash
    {0x20AC, R"t(\xdb )t", nullptr, kExact},  // euro sign
    {0x2111, R"t(%f(S)\xc1 %0)t", R"t(\Im)t", kExact},  // black-letter capital i
    {0x2113, R"t(l)t", R"t(\ell)t", kStandIn},  // script small l
    {0x2118, R"t(%f(S)\xc3 %0)t", nullptr, kExact},  // script capital p
    {0x211C, R"t(%f(S)\xc2 %0)t", R"t(\Re)t", kExact},  // black-letter capital r
    {0x2122, R"t(\xaa )t", nullptr, kExact},  // trade mark sign
    {0x2126, R"t(%f(S)W%0)t", R"t(\Omega)t", kExact},  // ohm sign
    {0x2135, R"t(%f(S)\xc0 %0)t", R"t(\aleph)t", kExact},  // alef symbol
    {0x2190, R"t(%f(S)\xac %0)t", R"t(\leftarrow)t", kExact},  // leftwards arrow
    {0x2191, R"t(%f(S)\xad %0)t", R"t(\uparrow)t", kExact},  // upwards arrow
    {0x2192, R"t(%f(S)\xae %0)t", R"t(\rightarrow)t", kExact},  // rightwards arrow
    {0x2193, R"t(%f(S)\xaf %0)t", R"t(\downarrow)t", kExact},  // downwards arrow
    {0x2194, R"t(%f(S)\xab %0)t", R"t(\leftrightarrow)t", kExact},  // left right arrow
    {0x21A6, R"t(%f(S)\xae %0)t", R"t(\mapsto)t", kStandIn},  // rightwards arrow from bar
    {0x21B5, R"t(%f(S)\xbf %0)t", nullptr, kExact},  // downwards arrow with corner leftwards
    {0x21D0, R"t(%f(S)\xdc %0)t", R"t(\Leftarrow)t", kExact},  // leftwards double arrow
    {0x21D1, R"t(%f(S)\xdd %0)t", R"t(\Uparrow)t", kExact},  // upwards double arrow
    {0x21D2, R"t(%f(S)\xde %0)t", R"t(\Rightarrow)t", kExact},  // rightwards double arrow
    {0x21D3, R"t(%f(S)\xdf %0)t", R"t(\Downarrow)t", kExact},  // downwards double arrow
    {0x21D4, R"t(%f(S)\xdb %0)t", R"t(\Leftrightarrow)t", kExact},  // left right double arrow
    {0x2200, R"t(%f(S)\x22 %0)t", R"t(\forall)t", kExact},  // for all
    {0x2202, R"t(%f(S)\xb6 %0)t", R"t(\partial)t", kExact},  // partial differential
    {0x2203, R"t(%f(S)\x24 %0)t", R"t(\exists)t", kExact},  // there exists
    {0x2205, R"t(%f(S)\xc6 %0)t", R"t(\emptyset)t", kExact},  // empty set
    {0x2206, R"t(%f(S)\x44 %0)t", R"t(\Delta)t", kExact},  // increment
    {0x2207, R"t(%f(S)\xd1 %0)t", R"t(\nabla)t", kExact},  // nabla
    {0x2208, R"t(%f(S)\xce %0)t", R"t(\in)t", kExact},  // element of
    {0x2209, R"t(%f(S)\xcf %0)t", nullptr, kExact},  // not an element of
    {0x220B, R"t(%f(S)\x27 %0)t", R"t(\ni)t", kExact},  // contains as member
    {0x220F, R"t(%f(S)\xd5 %0)t", R"t(\prod)t", kExact},  // n-ary product
    {0x2211, R"t(%f(S)\xe5 %0)t", R"t(\sum)t", kExact},  // n-ary summation
    {0x2212, R"t(-)t", R"t(-)t", kExact},  // minus sign
    {0x2213, R"t(-/+)t", R"t(\mp)t", kStandIn},  // minus-or-plus sign
    {0x2215, R"t(/)t", nullptr, kExact},  // division slash
    {0x2217, R"t(%f(S)\x2a %0)t", R"t(\ast)t", kExact},  // asterisk operator
    {0x2218, R"t(%f(S)\xb0 %0)t", R"t(\circ)t", kExact},  // ring operator
    {0x2219, R"t(%f(S)\xb7 %0)t", R"t(\bullet)t", kExact},  // bullet operator
    {0x221A, R"t(%f(S)\xd6 %0)t", nullptr, kExact},  // square root
    {0x221D, R"t(%f(S)\xb5 %0)t", R"t(\propto)t", kExact},  // proportional to
    {0x221E, R"t(%f(S)\xa5 %0)t", R"t(\infty)t", kExact},  // infinity
    {0x2220, R"t(%f(S)\xd0 %0)t", R"t(\angle)t", kExact},  // angle
    {0x2223, R"t(%f(S)\x7c %0)t", R"t(\mid)t", kExact},  // divides
    {0x2227, R"t(%f(S)\xd9 %0)t", R"t(\wedge)t", kExact},  // logical and
    {0x2228, R"t(%f(S)\xda %0)t", R"t(\vee)t", kExact},  // logical or
    {0x2229, R"t(%f(S)\xc7 %0)t", R"t(\cap)t", kExact},  // intersection
    {0x222A, R"t(%f(S)\xc8 %0)t", R"t(\cup)t", kExact},  // union
    {0x222B, R"t(%f(S)\xf2 %0)t", R"t(\int)t", kExact},  // integral
    {0x222E, R"t(%f(S)\xf2 %0)t", R"t(\oint)t", kStandIn},  // contour integral
    {0x2234, R"t(%f(S)\x5c %0)t", nullptr, kExact},  // therefore
    {0x223C, R"t(%f(S)\x7e %0)t", R"t(\sim)t", kExact},  // tilde operator
    {0x2243, R"t(%f(S)\x40 %0)t", R"t(\simeq)t", kStandIn},  // asymptotically equal to
    {0x2245, R"t(%f(S)\x40 %0)t", R"t(\cong)t", kExact},  // approximately equal to
    {0x2248, R"t(%f(S)\xbb %0)t", R"t(\approx)t", kExact},  // almost equal to
    {0x2260, R"t(%f(S)\xb9 %0)t", R"t(\neq)t", kExact},  // not equal to
    {0x2261, R"t(%f(S)\xba %0)t", R"t(\equiv)t", kExact},  // identical to
    {0x2264, R"t(%f(S)\xa3 %0)t", R"t(\le)t", kExact},  // less-than or equal to
    {0x2265, R"t(%f(S)\xb3 %0)t", R"t(\ge)t", kExact},  // greater-than or equal to
    {0x226A, R"t(\<\<)t", R"t(\ll)t", kStandIn},  // much less-than
    {0x226B, R"t(\>\>)t", R"t(\gg)t", kStandIn},  // much greater-than
    {0x2282, R"t(%f(S)\xcc %0)t", R"t(\subset)t", kExact},  // subset of
    {0x2283, R"t(%f(S)\xc9 %0)t", R"t(\supset)t", kExact},  // superset of
    {0x2284, R"t(%f(S)\xcb %0)t", nullptr, kExact},  // not a subset of
    {0x2286, R"t(%f(S)\xcd %0)t", R"t(\subseteq)t", kExact},  // subset of or equal to
    {0x2287, R"t(%f(S)\xca %0)t", R"t(\supseteq)t", kExact},  // superset of or equal to
    {0x2295, R"t(%f(S)\xc5 %0)t", R"t(\oplus)t", kExact},  // circled plus
    {0x2297, R"t(%f(S)\xc4 %0)t", R"t(\otimes)t", kExact},  // circled times
    {0x22A5, R"t(%f(S)\x5e %0)t", R"t(\perp)t", kExact},  // up tack
    {0x22C5, R"t(%f(S)\xd7 %0)t", R"t(\cdot)t", kExact},  // dot operator
    {0x22EF, R"t(\xc9 )t", R"t(\cdots)t", kStandIn},  // midline horizontal ellipsis
    {0x2308, R"t(%f(S)\xe9 %0)t", nullptr, kExact},  // left ceiling
    {0x2309, R"t(%f(S)\xf9 %0)t", nullptr, kExact},  // right ceiling
    {0x230A, R"t(%f(S)\xeb %0)t", nullptr, kExact},  // left floor
    {0x230B, R"t(%f(S)\xfb %0)t", nullptr, kExact},  // right floor
    {0x2329, R"t(%f(S)\xe1 %0)t", nullptr, kExact},  // left-pointing angle bracket
    {0x232A, R"t(%f(S)\xf1 %0)t", nullptr, kExact},  // right-pointing angle bracket
    {0x25CA, R"t(%f(S)\xe0 %0)t", nullptr, kExact},  // lozenge
    {0x2660, R"t(%f(S)\xaa %0)t", R"t(\spadesuit)t", kExact},  // black spade suit
    {0x2663, R"t(%f(S)\xa7 %0)t", R"t(\clubsuit)t", kExact},  // black club suit
    {0x2665, R"t(%f(S)\xa9 %0)t", R"t(\heartsuit)t", kExact},  // black heart suit
    {0x2666, R"t(%f(S)\xa8 %0)t", R"t(\diamondsuit)t", kExact},  // black diamond suit
    {0x27E8, R"t(%f(S)\xe1 %0)t", nullptr, kExact},  // mathematical left angle bracket
    {0x27E9, R"t(%f(S)\xf1 %0)t", nullptr, kExact},  // mathematical right angle bracket
    {0x27F5, R"t(%f(S)\xac %0)t", R"t(\longleftarrow)t", kExact},  // long leftwards arrow
    {0x27F6, R"t(%f(S)\xae %0)t", R"t(\longrightarrow)t", kExact},  // long rightwards arrow
    {0x27F7, R"t(%f(S)\xab %0)t", R"t(\longleftrightarrow)t", kExact},  // long left right arrow
    {0x27F8, R"t(%f(S)\xdc %0)t", R"t(\Longleftarrow)t", kExact},  // long leftwards double arrow
    {0x27F9, R"t(%f(S)\xde %0)t", R"t(\Longrightarrow)t", kExact},  // long rightwards double arrow
    {0x27FA, R"t(%f(S)\xdb %0)t", R"t(\Longleftrightarrow)t", kExact},  // long left right double ar
    {0x27FC, R"t(%f(S)\xae %0)t", R"t(\mapsto)t", kStandIn},  // long rightwards arrow from bar
    {0xFB01, R"t(\xde )t", nullptr, kExact},  // latin small ligature fi
    {0xFB02, R"t(\xdf )t", nullptr, kExact},  // latin small ligature fl
    {0xFEFF, R"t()t", nullptr, kExact},  // zero width no-break space
    {0xFFFD, R"t(?)t", nullptr, kExact},  // replacement character (reported where it arises)
};
// clang-format on

}  // namespace

static_assert(tables::firstCodeOutOfOrder(kRows, [](const UnicodeRow& row) { return row.code; }) ==
                  std::size(kRows),
              "the characters are in the order of their code points, each once");

const std::span<const UnicodeRow> kUnicodeRows{kRows};

// clang-format off
const char16_t kLatin9High[kEightBitHalf] = {
    0x0080, 0x0081, 0x0082, 0x0083, 0x0084, 0x0085, 0x0086, 0x0087,
    0x0088, 0x0089, 0x008A, 0x008B, 0x008C, 0x008D, 0x008E, 0x008F,
    0x0090, 0x0091, 0x0092, 0x0093, 0x0094, 0x0095, 0x0096, 0x0097,
    0x0098, 0x0099, 0x009A, 0x009B, 0x009C, 0x009D, 0x009E, 0x009F,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x20AC, 0x00A5, 0x0160, 0x00A7,
    0x0161, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x017D, 0x00B5, 0x00B6, 0x00B7,
    0x017E, 0x00B9, 0x00BA, 0x00BB, 0x0152, 0x0153, 0x0178, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

const char16_t kCp1252High[kEightBitHalf] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

const char16_t kAppleMacHigh[kEightBitHalf] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

const char16_t kLatin2High[kEightBitHalf] = {
    0x0080, 0x0081, 0x0082, 0x0083, 0x0084, 0x0085, 0x0086, 0x0087,
    0x0088, 0x0089, 0x008A, 0x008B, 0x008C, 0x008D, 0x008E, 0x008F,
    0x0090, 0x0091, 0x0092, 0x0093, 0x0094, 0x0095, 0x0096, 0x0097,
    0x0098, 0x0099, 0x009A, 0x009B, 0x009C, 0x009D, 0x009E, 0x009F,
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7,
    0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD, 0x017D, 0x017B,
    0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

const char16_t kCp1250High[kEightBitHalf] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

const char16_t kCp850High[kEightBitHalf] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

const char16_t kCp437High[kEightBitHalf] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

const char16_t kCp852High[kEightBitHalf] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7,
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106,
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E,
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A,
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE,
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161,
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4,
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,
};

const char16_t kKoi8rHigh[kEightBitHalf] = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524,
    0x252C, 0x2534, 0x253C, 0x2580, 0x2584, 0x2588, 0x258C, 0x2590,
    0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248,
    0x2264, 0x2265, 0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7,
    0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555, 0x2556,
    0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E,
    0x255F, 0x2560, 0x2561, 0x0401, 0x2562, 0x2563, 0x2564, 0x2565,
    0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9,
    0x044E, 0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433,
    0x0445, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E,
    0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0436, 0x0432,
    0x044C, 0x044B, 0x0437, 0x0448, 0x044D, 0x0449, 0x0447, 0x044A,
    0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413,
    0x0425, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E,
    0x041F, 0x042F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0416, 0x0412,
    0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A,
};

const char16_t kCp1251High[kEightBitHalf] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

const char16_t kCp866High[kEightBitHalf] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};
// clang-format on

}  // namespace pendra::reader
