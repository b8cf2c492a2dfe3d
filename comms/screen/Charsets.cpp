#include "comms/screen/Charsets.h"

#include <array>

namespace {

using Table = std::array<char32_t, 128>;

Table asciiTable()
{
    Table t{};
    for (int i = 0; i < 128; ++i)
        t[i] = char32_t(i);
    return t;
}

// Positions the national replacement sets change: # @ [ \ ] ^ _ ` { | } ~
constexpr char kNationalPositions[] = "#@[\\]^_`{|}~";

// One replacement string per set, aligned with kNationalPositions; '.' keeps
// the ASCII character.
Table nationalTable(const char32_t *replacements)
{
    Table t = asciiTable();
    for (int i = 0; kNationalPositions[i]; ++i) {
        if (replacements[i] != U'.')
            t[uchar(kNationalPositions[i])] = replacements[i];
    }
    return t;
}

Table decSpecialTable()
{
    Table t = asciiTable();
    const char32_t glyphs[]
        = U"\u00A0\u25C6\u2592\u2409\u240C\u240D\u240A\u00B0\u00B1\u2424\u240B\u2518\u2510"
          U"\u250C\u2514\u253C\u23BA\u23BB\u2500\u23BC\u23BD\u251C\u2524\u2534\u252C\u2502"
          U"\u2264\u2265\u03C0\u2260\u00A3\u00B7";
    for (int i = 0; i < 32; ++i)
        t[0x5F + i] = glyphs[i];
    t[0x5F] = U' ';
    return t;
}

// DEC supplemental: ISO 8859-1 with a few differences; positions DEC left
// undefined show as blanks.
Table decSupplementalTable()
{
    Table t{};
    for (int i = 0; i < 128; ++i)
        t[i] = char32_t(0x80 + i);
    for (int undefinedPos : {0x24, 0x26, 0x2C, 0x2D, 0x2E, 0x2F, 0x34, 0x38, 0x3E, 0x50, 0x5E, 0x70, 0x7E})
        t[undefinedPos] = U' ';
    t[0x28] = U'\u00A4';
    t[0x57] = U'\u0152';
    t[0x5D] = U'\u0178';
    t[0x77] = U'\u0153';
    t[0x7D] = U'\u00FF';
    t[0x20] = U' ';
    t[0x7F] = U' ';
    return t;
}

Table vt52GraphicsTable()
{
    Table t = asciiTable();
    const char32_t glyphs[]
        = U"  \u2588\u215F\u00B3\u2075\u2077\u00B0\u00B1\u2192\u2026\u00F7\u2193\u23BA\u23BA\u23BB"
          U"\u23BB\u2500\u23BC\u23BC\u23BD\u2080\u2081\u2082\u2083\u2084\u2085\u2086\u2087"
          U"\u2088\u2089\u00B6";
    for (int i = 0; i < 32; ++i)
        t[0x5F + i] = glyphs[i];
    return t;
}

Table latin1SupplementalTable()
{
    Table t{};
    for (int i = 0; i < 128; ++i)
        t[i] = char32_t(0x80 + i);
    return t;
}

struct Tables {
    Table ascii = asciiTable();
    Table uk = nationalTable(U"\u00A3...........");
    Table special = decSpecialTable();
    Table supplemental = decSupplementalTable();
    Table dutch = nationalTable(U"\u00A3\u00BE\u0133\u00BD|...\u00A8\u0192\u00BC\u00B4");
    Table finnish = nationalTable(U"..\u00C4\u00D6\u00C5\u00DC.\u00E9\u00E4\u00F6\u00E5\u00FC");
    Table french = nationalTable(U"\u00A3\u00E0\u00B0\u00E7\u00A7...\u00E9\u00F9\u00E8\u00A8");
    Table frenchCanadian = nationalTable(U".\u00E0\u00E2\u00E7\u00EA\u00EE.\u00F4\u00E9\u00F9\u00E8\u00FB");
    Table german = nationalTable(U".\u00A7\u00C4\u00D6\u00DC...\u00E4\u00F6\u00FC\u00DF");
    Table italian = nationalTable(U"\u00A3\u00A7\u00B0\u00E7\u00E9..\u00F9\u00E0\u00F2\u00E8\u00EC");
    Table norwegian = nationalTable(U".\u00C4\u00C6\u00D8\u00C5\u00DC.\u00E4\u00E6\u00F8\u00E5\u00FC");
    Table spanish = nationalTable(U"\u00A3\u00A7\u00A1\u00D1\u00BF...\u00B0\u00F1\u00E7.");
    Table swedish = nationalTable(U".\u00C9\u00C4\u00D6\u00C5\u00DC.\u00E9\u00E4\u00F6\u00E5\u00FC");
    Table vt52Graphics = vt52GraphicsTable();
    Table latin1Supplemental = latin1SupplementalTable();
    Table swiss = nationalTable(U"\u00F9\u00E0\u00E9\u00E7\u00EA\u00EE\u00E8\u00F4\u00E4\u00F6\u00FC\u00FB");
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

const std::array<char32_t, 256> kCp437 = {
    0x0020,
    0x263A,
    0x263B,
    0x2665,
    0x2666,
    0x2663,
    0x2660,
    0x2022,
    0x25D8,
    0x25CB,
    0x25D9,
    0x2642,
    0x2640,
    0x266A,
    0x266B,
    0x263C,
    0x25BA,
    0x25C4,
    0x2195,
    0x203C,
    0x00B6,
    0x00A7,
    0x25AC,
    0x21A8,
    0x2191,
    0x2193,
    0x2192,
    0x2190,
    0x221F,
    0x2194,
    0x25B2,
    0x25BC,
    0x0020,
    0x0021,
    0x0022,
    0x0023,
    0x0024,
    0x0025,
    0x0026,
    0x0027,
    0x0028,
    0x0029,
    0x002A,
    0x002B,
    0x002C,
    0x002D,
    0x002E,
    0x002F,
    0x0030,
    0x0031,
    0x0032,
    0x0033,
    0x0034,
    0x0035,
    0x0036,
    0x0037,
    0x0038,
    0x0039,
    0x003A,
    0x003B,
    0x003C,
    0x003D,
    0x003E,
    0x003F,
    0x0040,
    0x0041,
    0x0042,
    0x0043,
    0x0044,
    0x0045,
    0x0046,
    0x0047,
    0x0048,
    0x0049,
    0x004A,
    0x004B,
    0x004C,
    0x004D,
    0x004E,
    0x004F,
    0x0050,
    0x0051,
    0x0052,
    0x0053,
    0x0054,
    0x0055,
    0x0056,
    0x0057,
    0x0058,
    0x0059,
    0x005A,
    0x005B,
    0x005C,
    0x005D,
    0x005E,
    0x005F,
    0x0060,
    0x0061,
    0x0062,
    0x0063,
    0x0064,
    0x0065,
    0x0066,
    0x0067,
    0x0068,
    0x0069,
    0x006A,
    0x006B,
    0x006C,
    0x006D,
    0x006E,
    0x006F,
    0x0070,
    0x0071,
    0x0072,
    0x0073,
    0x0074,
    0x0075,
    0x0076,
    0x0077,
    0x0078,
    0x0079,
    0x007A,
    0x007B,
    0x007C,
    0x007D,
    0x007E,
    0x2302,
    0x00C7,
    0x00FC,
    0x00E9,
    0x00E2,
    0x00E4,
    0x00E0,
    0x00E5,
    0x00E7,
    0x00EA,
    0x00EB,
    0x00E8,
    0x00EF,
    0x00EE,
    0x00EC,
    0x00C4,
    0x00C5,
    0x00C9,
    0x00E6,
    0x00C6,
    0x00F4,
    0x00F6,
    0x00F2,
    0x00FB,
    0x00F9,
    0x00FF,
    0x00D6,
    0x00DC,
    0x00A2,
    0x00A3,
    0x00A5,
    0x20A7,
    0x0192,
    0x00E1,
    0x00ED,
    0x00F3,
    0x00FA,
    0x00F1,
    0x00D1,
    0x00AA,
    0x00BA,
    0x00BF,
    0x2310,
    0x00AC,
    0x00BD,
    0x00BC,
    0x00A1,
    0x00AB,
    0x00BB,
    0x2591,
    0x2592,
    0x2593,
    0x2502,
    0x2524,
    0x2561,
    0x2562,
    0x2556,
    0x2555,
    0x2563,
    0x2551,
    0x2557,
    0x255D,
    0x255C,
    0x255B,
    0x2510,
    0x2514,
    0x2534,
    0x252C,
    0x251C,
    0x2500,
    0x253C,
    0x255E,
    0x255F,
    0x255A,
    0x2554,
    0x2569,
    0x2566,
    0x2560,
    0x2550,
    0x256C,
    0x2567,
    0x2568,
    0x2564,
    0x2565,
    0x2559,
    0x2558,
    0x2552,
    0x2553,
    0x256B,
    0x256A,
    0x2518,
    0x250C,
    0x2588,
    0x2584,
    0x258C,
    0x2590,
    0x2580,
    0x03B1,
    0x00DF,
    0x0393,
    0x03C0,
    0x03A3,
    0x03C3,
    0x00B5,
    0x03C4,
    0x03A6,
    0x0398,
    0x03A9,
    0x03B4,
    0x221E,
    0x03C6,
    0x03B5,
    0x2229,
    0x2261,
    0x00B1,
    0x2265,
    0x2264,
    0x2320,
    0x2321,
    0x00F7,
    0x2248,
    0x00B0,
    0x2219,
    0x00B7,
    0x221A,
    0x207F,
    0x00B2,
    0x25A0,
    0x00A0,
};

std::array<char32_t, 256> makeLatin1()
{
    std::array<char32_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = char32_t(i);
    return t;
}

} // namespace

bool charsetForFinal(char intermediate, char final, Charset *out)
{
    if (intermediate == '%') {
        if (final != '5')
            return false;
        *out = Charset::DecSupplemental;
        return true;
    }
    switch (final) {
    case 'B':
    case '1':
        *out = Charset::Ascii;
        break;
    case 'A':
        *out = Charset::Uk;
        break;
    case '0':
    case '2':
        *out = Charset::DecSpecialGraphics;
        break;
    case '<':
        *out = Charset::DecSupplemental;
        break;
    case '4':
        *out = Charset::Dutch;
        break;
    case 'C':
    case '5':
        *out = Charset::Finnish;
        break;
    case 'R':
        *out = Charset::French;
        break;
    case 'Q':
        *out = Charset::FrenchCanadian;
        break;
    case 'K':
        *out = Charset::German;
        break;
    case 'Y':
        *out = Charset::Italian;
        break;
    case 'E':
    case '6':
        *out = Charset::NorwegianDanish;
        break;
    case 'Z':
        *out = Charset::Spanish;
        break;
    case 'H':
    case '7':
        *out = Charset::Swedish;
        break;
    case '=':
        *out = Charset::Swiss;
        break;
    default:
        return false;
    }
    return true;
}

bool charset96ForFinal(char final, Charset *out)
{
    if (final != 'A')
        return false;
    *out = Charset::Latin1Supplemental;
    return true;
}

const char32_t *charsetTable(Charset set)
{
    const Tables &t = tables();
    switch (set) {
    case Charset::Ascii:
        return t.ascii.data();
    case Charset::Uk:
        return t.uk.data();
    case Charset::DecSpecialGraphics:
        return t.special.data();
    case Charset::DecSupplemental:
        return t.supplemental.data();
    case Charset::Dutch:
        return t.dutch.data();
    case Charset::Finnish:
        return t.finnish.data();
    case Charset::French:
        return t.french.data();
    case Charset::FrenchCanadian:
        return t.frenchCanadian.data();
    case Charset::German:
        return t.german.data();
    case Charset::Italian:
        return t.italian.data();
    case Charset::NorwegianDanish:
        return t.norwegian.data();
    case Charset::Spanish:
        return t.spanish.data();
    case Charset::Swedish:
        return t.swedish.data();
    case Charset::Swiss:
        return t.swiss.data();
    case Charset::Vt52Graphics:
        return t.vt52Graphics.data();
    case Charset::Latin1Supplemental:
        return t.latin1Supplemental.data();
    }
    return t.ascii.data();
}

const char32_t *cp437Table()
{
    return kCp437.data();
}

const char32_t *latin1Table()
{
    static const std::array<char32_t, 256> t = makeLatin1();
    return t.data();
}
