// A drawing assembled byte by byte that holds every entity kind, both dimension forms (by
// version), points with extra fields, solids with their own colour, block definitions with
// both time forms, and (from 700) embedded images, with the index numbers written out by
// hand.
#pragma once

#include "testsupport/jww_bytes.h"

namespace tolvane::testing {

// What AppendSyntheticBody puts in, for the tests to check after a read.
struct SyntheticExpectations {
    size_t Lines = 2, Arcs = 1, Points = 2, Texts = 1, Dimensions = 1, Solids = 2, BlockInserts = 1;
    size_t BlockDefinitions = 2;
};

inline void AppendLine(Bytes& b, uint32_t v, uint16_t color, double x) {
    b.Base(v, 7, 1, color, 50, 1, 0, 0).F64(x).F64(0).F64(x + 100).F64(0);
}

inline void AppendText(Bytes& b, uint32_t v, const std::string& text) {
    b.Base(v, 0, 1, 3, 0, 6, 0, 0).F64(0).F64(0).F64(10).F64(0).U32(3).F64(3).F64(3).F64(0).F64(0);
    b.Str("\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e").Str(text);
}

// The entity list, the block definitions and (from 700) the image section, after a header of
// the same version. A canonical body holds only what the
// writer writes back unchanged: no 64-bit block time, and only images that a text uses.
inline void AppendSyntheticBody(Bytes& b, uint32_t v, bool canonical = false) {
    b.Count(10);
    b.NewClass("CDataSen", uint16_t(v));  // class 1
    AppendLine(b, v, 2, 0);               // object 2
    b.ClassRef(1);
    AppendLine(b, v, 5, 200);             // object 3
    b.NewClass("CDataEnko", uint16_t(v));  // class 4
    b.Base(v, 0, 2, 4, 0, 2, 1, 0).F64(10).F64(20).F64(30).F64(0).F64(1.5).F64(0).F64(1).U32(0);  // object 5
    b.NewClass("CDataTen", uint16_t(v));  // class 6
    b.Base(v, 0, 1, 2, 0, 4, 0, 0).F64(1).F64(2).U32(0);  // object 7
    b.ClassRef(6);
    b.Base(v, 0, 100, 3, 0, 4, 0, 0).F64(3).F64(4).U32(1).U32(9).F64(45).F64(2);  // object 8, extra fields
    b.NewClass("CDataMoji", uint16_t(v));  // class 9
    AppendText(b, v, "\x8b\x8f\x8a\xd4");  // object 10
    b.NewClass("CDataSunpou", uint16_t(v));  // class 11, object 12
    b.Base(v, 0, 1, 6, 0, 5, 0, 0);
    b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(0).F64(-5).F64(1000).F64(-5);
    b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(500).F64(0).F64(520).F64(0).U32(2).F64(2.5).F64(2.5).F64(0).F64(0);
    b.Str("").Str("1000");
    if (v >= 420) {
        b.U16(1);
        b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(0).F64(-10).F64(0).F64(0);
        b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(1000).F64(-10).F64(1000).F64(0);
        b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(0).F64(0).U32(0);
        b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(1000).F64(0).U32(0);
        b.Base(v, 0, 1, 6, 0, 5, 0, 0).F64(0).F64(-5).U32(0);
        b.Base(v, 0, 100, 6, 0, 5, 0, 0).F64(1000).F64(-5).U32(0).U32(3).F64(0).F64(1);
    }
    b.NewClass("CDataSolid", uint16_t(v));  // class 13
    b.Base(v, 0, 1, 4, 0, 1, 0, 0);         // object 14
    for (int i = 0; i < 8; ++i) b.F64(i);
    b.ClassRef(13);
    b.Base(v, 0, 1, 10, 0, 1, 0, 0);  // object 15, own colour
    for (int i = 0; i < 8; ++i) b.F64(i);
    b.U32(0x00C0FFEE);
    b.NewClass("CDataBlock", uint16_t(v));  // class 16
    b.Base(v, 0, 1, 1, 0, 3, 0, 0).F64(100).F64(200).F64(1).F64(1).F64(0).U32(1);  // object 17
    // Block definitions.
    b.Count(2);
    b.NewClass("CDataList", uint16_t(v));  // class 18
    b.Base(v, 0, 1, 1, 0, 3, 0, 0).U32(1).U32(0);
    if (canonical) b.U32(1);
    else b.U32(0xFFFFFFFF).U32(0x11111111).U32(0x22222222);
    b.Str("\x83\x68\x83\x41").Count(1);  // definition: object 19
    b.ClassRef(1);
    AppendLine(b, v, 1, 0);  // object 20
    b.ClassRef(18);
    b.Base(v, 0, 1, 1, 0, 3, 0, 0).U32(2).U32(1).U32(12345).Str("window").Count(1);  // object 21
    b.ClassRef(9);
    AppendText(b, v, "^@BM%temp%pic.bmp,10,10");  // object 22
    if (v >= 700 && canonical) {
        b.U32(1);
        b.Str("pic.bmp").U32(4).Raw("ABCD");
    } else if (v >= 700) {
        b.U32(3);
        b.Str("pic.bmp").U32(4).Raw("ABCD");
        b.Str("").U32(3).Raw("xyz");  // no name: its bytes are skipped
        b.Str("zero.bmp").U32(0);
    }
}

inline std::vector<uint8_t> SyntheticJww(uint32_t version, const HeaderValues& values = {}, bool wide = false) {
    Bytes b;
    b.Wide = wide;
    AppendJwwHeader(b, version, values);
    AppendSyntheticBody(b, version);
    return b.data;
}

// A drawing that the writer gives back byte for byte at its own version: no line-drawing
// width below -101 up to 420, an option word with tens of 1 from 600 and none before.
inline std::vector<uint8_t> CanonicalJww(uint32_t version, bool wide = false) {
    HeaderValues values;
    values.MaxDrawWidth = -50;
    values.OptionWord = version >= 600 ? 13 : 3;
    Bytes b;
    b.Wide = wide;
    AppendJwwHeader(b, version, values);
    AppendSyntheticBody(b, version, true);
    return b.data;
}

}  // namespace tolvane::testing
