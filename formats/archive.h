// The byte encodings of the drawing archives: little-endian numbers, length-prefixed strings,
// element counts and the object tags with their running index map.
//
// A short read or a failed write throws ArchiveError, which abandons the whole operation; the
// outermost read or write catches it, closes the file and answers false. Inside, readers and
// writers read one field per line with no error plumbing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "formats/text.h"

namespace tolvane {

class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An object tag resolved: either a class introduced here (IsNewClass, with its name and the
// index it was given) or a reference to the class with index ClassIndex.
struct ArchiveTag {
    bool IsNewClass = false;
    std::string ClassName;
    uint32_t ClassIndex = 0;
};

class ArchiveReader {
public:
    // Reads a file through a buffer. Throws ArchiveError when the file cannot be opened.
    explicit ArchiveReader(const std::filesystem::path& path);
    // Reads bytes held in memory; they must outlive the reader.
    ArchiveReader(const uint8_t* data, size_t size);

    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    uint64_t Position() const { return consumed_ + static_cast<uint64_t>(next_ - begin_); }
    uint64_t Remaining() const { return totalSize_ - Position(); }
    uint64_t Size() const { return totalSize_; }

    uint8_t ReadU8() { uint8_t v; Take(&v, 1); return v; }
    uint16_t ReadU16() { uint8_t b[2]; Take(b, 2); return static_cast<uint16_t>(b[0] | b[1] << 8); }
    uint32_t ReadU32() {
        uint8_t b[4];
        Take(b, 4);
        return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
               static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    }
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    double ReadDouble() {
        uint8_t b[8];
        Take(b, 8);
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i) bits = bits << 8 | b[i];
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    void ReadBytes(void* out, size_t n) { Take(out, n); }
    std::string ReadFixedString(size_t n);
    void Skip(uint64_t n);

    // A string in either form. The length is one byte; 0xFF announces a u16, and a u16 of
    // 0xFFFF a u32. A u16 of 0xFFFE instead marks a wide string: its length in UTF-16 code
    // units follows in the same three forms, then the units. The bytes must fit in what is
    // left of the file before anything is allocated for them.
    ArchiveString ReadString();
    // The form of the first string read, which is the form of the drawing's strings; bytes
    // while no string has been read.
    StringForm FirstStringForm() const { return firstStringForm_; }
    // A u16; 0xFFFF announces a u32. The count must leave at least minElementBytes for each
    // element in what remains of the file, so that nothing is reserved for a hostile count.
    uint32_t ReadCount(size_t minElementBytes);
    // Reads a tag; a new class takes the next index.
    ArchiveTag ReadTag();
    // Counts one index for an object (no bytes are read).
    void NextIndex() { ++nextIndex_; }

    // A place in the stream with the state the reading has reached there, to read a part
    // twice: once to learn what it holds, once to keep it.
    struct Mark {
        uint64_t Position = 0;
        uint32_t NextIndex = 1;
        bool StringRead = false;
        StringForm FirstStringForm = StringForm::Bytes;
    };
    Mark Here() const { return {Position(), nextIndex_, stringRead_, firstStringForm_}; }
    // Goes back to a mark taken earlier. Throws ArchiveError when the file cannot be read there.
    void Rewind(const Mark& mark);

private:
    void Take(void* out, size_t n) {
        if (static_cast<size_t>(end_ - next_) >= n) {
            std::memcpy(out, next_, n);
            next_ += n;
            return;
        }
        TakeSlow(static_cast<uint8_t*>(out), n);
    }
    void TakeSlow(uint8_t* out, size_t n);
    bool Refill();
    [[noreturn]] void ThrowShort(uint64_t wanted) const;

    std::unique_ptr<std::ifstream> file_;
    std::vector<uint8_t> buffer_;
    const uint8_t* begin_ = nullptr;
    const uint8_t* next_ = nullptr;
    const uint8_t* end_ = nullptr;
    uint64_t consumed_ = 0;  // bytes before begin_
    uint64_t totalSize_ = 0;
    uint32_t nextIndex_ = 1;
    bool stringRead_ = false;
    StringForm firstStringForm_ = StringForm::Bytes;
};

// Where an ArchiveWriter's bytes go. Write throws ArchiveError on failure.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(const uint8_t* data, size_t size) = 0;
};

class MemorySink : public ByteSink {
public:
    void Write(const uint8_t* data, size_t size) override;
    std::vector<uint8_t> bytes;
};

// A newly created file. The constructor throws ArchiveError when it cannot be created.
class FileSink : public ByteSink {
public:
    explicit FileSink(const std::filesystem::path& path);
    void Write(const uint8_t* data, size_t size) override;
    // Flushes and closes; throws when the last bytes cannot be written.
    void Close();

private:
    std::ofstream out_;
};

// Compares the bytes written with those of a file as they come, reading the file a piece at a
// time: tells whether a drawing is written back byte for byte without holding the file and
// its new copy in memory. The constructor throws ArchiveError when the file cannot be opened,
// Write when it cannot be read.
class ComparingSink : public ByteSink {
public:
    explicit ComparingSink(const std::filesystem::path& path);
    void Write(const uint8_t* data, size_t size) override;
    uint64_t Written() const { return written_; }
    uint64_t FileSize() const { return fileSize_; }
    // After the last write: the first byte at which the two differ (where the shorter ends when
    // one begins with the other), or nothing when they are the same.
    std::optional<uint64_t> FirstDifference() const;

private:
    std::ifstream file_;
    uint64_t fileSize_ = 0;
    uint64_t written_ = 0;
    std::optional<uint64_t> difference_;
    std::vector<uint8_t> piece_;
};

class ArchiveWriter {
public:
    explicit ArchiveWriter(ByteSink& sink) : sink_(sink), buffer_(kBufferSize) {}
    ~ArchiveWriter() = default;  // unflushed bytes are dropped; call Flush at the end
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    void WriteU8(uint8_t v) { Put(&v, 1); }
    void WriteU16(uint16_t v) { uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)}; Put(b, 2); }
    void WriteU32(uint32_t v) {
        uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        Put(b, 4);
    }
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
    void WriteDouble(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        uint8_t b[8];
        for (int i = 0; i < 8; ++i) b[i] = uint8_t(bits >> (8 * i));
        Put(b, 8);
    }
    void WriteBytes(const void* data, size_t n) { Put(static_cast<const uint8_t*>(data), n); }
    void WriteFixedString(std::string_view s) { Put(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }

    // A string in its own form with the shortest length form. An empty string without a form
    // of its own is written in the stream's string form, so that strings the program adds to a
    // drawing (the empty SXF names of a raised version) take the form of the drawing's own,
    // while every string read keeps the form it was read in.
    void WriteString(const ArchiveString& s);
    void SetStringForm(StringForm form) { stringForm_ = form; }
    void WriteCount(uint32_t count);
    // The class introduction the first time (taking the next index, stored in classIndex),
    // the reference tag afterwards. classIndex is 0 while the class is not introduced.
    void WriteTag(uint32_t& classIndex, std::string_view className, uint16_t schema);
    void NextIndex() { ++nextIndex_; }

    void Flush();
    uint64_t Position() const { return flushed_ + used_; }

private:
    static constexpr size_t kBufferSize = 1 << 16;
    void Put(const uint8_t* data, size_t n) {
        if (n > kBufferSize - used_) {
            PutPastBuffer(data, n);
            return;
        }
        std::memcpy(buffer_.data() + used_, data, n);
        used_ += n;
    }
    void PutPastBuffer(const uint8_t* data, size_t n);

    ByteSink& sink_;
    std::vector<uint8_t> buffer_;
    size_t used_ = 0;
    uint64_t flushed_ = 0;
    uint32_t nextIndex_ = 1;
    StringForm stringForm_ = StringForm::Bytes;
};

// The outermost level of a read or a write: runs it on the file at the path, catches what it
// throws, and answers false with the reason. A write goes through a temporary file that
// replaces the path only when complete (WriteFileAtomically), so that nothing half-written is
// ever at the path and a file that was there stays when the write fails.
bool ReadFileWith(const std::filesystem::path& path, const std::function<void(ArchiveReader&)>& read,
                  std::string* error);
bool WriteFileWith(const std::filesystem::path& path, const std::function<void(ByteSink&)>& write,
                   std::string* error);

// The clean-up applied to texts and names before they are written: drops "^m" pairs and
// control characters, character by character (a double-byte character of a byte string is
// never split; a wide string is walked by UTF-16 units); a non-empty text that cleans to
// nothing becomes " ". The form stays.
ArchiveString CleanArchiveText(const ArchiveString& text);

}  // namespace tolvane
