#pragma once

#include <QtGlobal>

// Graphic character sets that can be designated into G0-G3.
enum class Charset : quint8 {
    Ascii,
    Uk,
    DecSpecialGraphics,
    DecSupplemental,
    Dutch,
    Finnish,
    French,
    FrenchCanadian,
    German,
    Italian,
    NorwegianDanish,
    Spanish,
    Swedish,
    Swiss,
    // Upper half of ISO 8859-1 as a 96-character set.
    Latin1Supplemental,
    // VT52 graphics mode (ESC F).
    Vt52Graphics,
};

// The set a designation final byte (after ESC ( ) * or +) names; an
// intermediate '%' with final '5' is DEC supplemental. Returns false for
// sets not known, which leaves the designation unchanged.
bool charsetForFinal(char intermediate, char final, Charset *out);
// The same for 96-character designations (after ESC - . or /).
bool charset96ForFinal(char final, Charset *out);

// 128 Unicode characters for bytes 0x00-0x7F of a set (only 0x20-0x7F are
// looked up). A 96-character set is indexed by its byte minus 0x80.
const char32_t *charsetTable(Charset set);

// Code page 437 glyphs for all 256 byte values, including the PC pictures
// for the control codes 0x00-0x1F and 0x7F.
const char32_t *cp437Table();

// ISO 8859-1: byte value is the code point.
const char32_t *latin1Table();
