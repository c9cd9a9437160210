// Assembles drawing files byte by byte for the tests, independently of the archive writer,
// so that a reader and a writer wrong in the same way cannot pass each other's tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::testing {

class Bytes {
public:
    Bytes& U8(uint8_t v) { data.push_back(v); return *this; }
    Bytes& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    Bytes& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Bytes& F64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return U32(uint32_t(bits)).U32(uint32_t(bits >> 32));
    }
    Bytes& Raw(std::string_view s) { data.insert(data.end(), s.begin(), s.end()); return *this; }
    Bytes& Zeros(size_t n) { data.insert(data.end(), n, 0); return *this; }
    // A string length: one byte up to 254, else 0xFF and a u16 up to 65533, else 0xFF, 0xFFFF
    // and a u32.
    Bytes& Length(uint64_t n) {
        if (n < 255) return U8(uint8_t(n));
        if (n < 0xFFFE) return U8(0xFF).U16(uint16_t(n));
        return U8(0xFF).U16(0xFFFF).U32(uint32_t(n));
    }
    // A string: its bytes, or with Wide set, the wide form with each byte of s as one UTF-16
    // unit (the builders' Shift-JIS texts then stand for other characters, which is all a
    // layout test needs).
    Bytes& Str(std::string_view s) {
        if (!Wide) return Length(s.size()).Raw(s);
        U8(0xFF).U16(0xFFFE).Length(s.size());
        for (char c : s) U16(static_cast<uint8_t>(c));
        return *this;
    }
    // A wide string of these units, whatever Wide says.
    Bytes& WStr(std::u16string_view s) {
        U8(0xFF).U16(0xFFFE).Length(s.size());
        for (char16_t unit : s) U16(unit);
        return *this;
    }
    Bytes& Count(uint32_t n) { return n < 0xFFFF ? U16(uint16_t(n)) : U16(0xFFFF).U32(n); }
    Bytes& NewClass(std::string_view name, uint16_t schema) { return U16(0xFFFF).U16(schema).U16(uint16_t(name.size())).Raw(name); }
    Bytes& ClassRef(uint32_t index) { return index < 0x7FFF ? U16(uint16_t(0x8000 + index)) : U16(0x7FFF).U32(0x80000000u | index); }
    // An entity base; the width only from 351 on.
    Bytes& Base(uint32_t version, uint32_t group, uint8_t style, uint16_t color, uint16_t width, uint16_t layer,
                uint16_t layerGroup, uint16_t flags) {
        U32(group).U8(style).U16(color);
        if (version >= 351) U16(width);
        return U16(layer).U16(layerGroup).U16(flags);
    }
    size_t Size() const { return data.size(); }

    std::vector<uint8_t> data;
    bool Wide = false;
};

// Values the header builder writes, which the tests check after a read.
struct HeaderValues {
    std::string Memo = "memo";
    uint32_t PaperSize = 3;
    uint32_t DimensionSettings0 = 123;
    uint32_t ReservedWord0 = 0x11;
    uint32_t ReservedWord15 = 0x15;
    int32_t MaxDrawWidth = -150;
    int32_t OptionWord = 23;
    double SkyMapLevel = 1.5;
    double SkyMapRadius = 2.5;
    uint32_t DrawTime = 777;
    uint32_t TextKindColor0 = 4;
};

// The signature, the version and the header of a drawing at the given version, up to the
// text settings, with recognisable values.
inline void AppendJwwHeader(Bytes& b, uint32_t version, const HeaderValues& v = {}) {
    b.Raw("JwwData.").U32(version).Str(v.Memo).U32(v.PaperSize).U32(1);
    for (uint32_t g = 0; g < 16; ++g) {
        b.U32(g).U32(g % 16).F64(100.0 + g).U32(0);
        for (uint32_t l = 0; l < 16; ++l) b.U32(l % 3).U32(0);
    }
    b.U32(v.ReservedWord0);
    for (int i = 1; i < 14; ++i) b.U32(0);
    b.U32(v.DimensionSettings0).U32(1).U32(2).U32(3).U32(4);
    b.U32(v.ReservedWord15).I32(v.MaxDrawWidth);
    b.F64(0.5).F64(0.25).F64(1.0);     // printer origin, scale
    b.U32(1).U32(0);                   // rotate, grid mode
    b.F64(1).F64(10).F64(10).F64(0).F64(0);
    for (int g = 0; g < 16; ++g)
        for (int l = 0; l < 16; ++l) b.Str(g == 0 && l == 1 ? "layer-0-1" : "");
    for (int g = 0; g < 16; ++g) b.Str(g == 2 ? "group-2" : "");
    b.F64(0).F64(35.0).U32(0).F64(0);  // shadow
    if (version >= 231) b.F64(v.SkyMapLevel).F64(v.SkyMapRadius);
    b.U32(0);                          // Units3D
    b.F64(1).F64(0).F64(0).F64(1).F64(0).F64(0);
    if (version >= 231) {
        for (int i = 0; i < 8; ++i) b.F64(1.0 + i).F64(0).F64(0).I32(i - 1);
        b.F64(0).F64(0).F64(0).U32(0).F64(0).F64(0).F64(0).U32(0);
    } else {
        for (int i = 0; i < 4; ++i) b.F64(1.0 + i).F64(0).F64(0);
    }
    for (int i = 0; i < 11; ++i) b.F64(0);
    for (int i = 0; i < 10; ++i) b.U32(0).U32(1);
    for (int i = 0; i < 10; ++i) b.U32(0).U32(1).F64(0.5);
    for (int i = 0; i < 8; ++i) b.U32(0xFF00).U32(1).U32(2).U32(3);
    for (int i = 0; i < 5; ++i) b.U32(1).U32(2).U32(3).U32(4).U32(5);
    for (int i = 0; i < 4; ++i) b.U32(0xF0F0).U32(1).U32(2).U32(3);
    for (int i = 0; i < 10; ++i) b.U32(0);
    b.I32(v.OptionWord);
    if (version >= 223) {
        b.U32(v.DrawTime).U32(0).U32(0).U32(0).U32(0);
        for (int i = 0; i < 5; ++i) b.F64(0);
    }
    if (version >= 225)
        for (int i = 0; i < 4; ++i) b.F64(0);
    if (version >= 230) b.U32(0).U32(0x00FF00);
    if (version >= 420) {
        for (int i = 0; i < 257; ++i) b.U32(0).U32(1);
        for (int i = 0; i < 257; ++i) b.Str(i == 1 ? "black" : "").U32(0).U32(1).F64(0.5);
        for (int i = 0; i < 33; ++i) b.U32(0).U32(1).U32(2).U32(3);
        for (int i = 0; i < 33; ++i) {
            b.Str(i == 1 ? "continuous" : "").U32(0);
            for (int k = 0; k < 10; ++k) b.F64(0);
        }
    }
    for (uint32_t i = 0; i < 10; ++i) b.F64(2.0 + i).F64(2.0 + i).F64(0).U32(i == 0 ? v.TextKindColor0 : i % 9 + 1);
    b.F64(3).F64(3).F64(0).U32(1).U32(1).F64(1).F64(1).U32(0);
    for (int i = 0; i < 6; ++i) b.F64(0);
}

}  // namespace tolvane::testing
