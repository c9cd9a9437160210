#include "formats/archive.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "formats/atomic_file.h"

namespace tolvane {

namespace {

constexpr size_t kReadBufferSize = 1 << 16;
// Known class names have at most 11 bytes; anything longer than this is not a class name.
constexpr uint16_t kMaxClassNameLength = 2048;

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(v));
    return text;
}

}  // namespace

ArchiveReader::ArchiveReader(const std::filesystem::path& path)
    : file_(std::make_unique<std::ifstream>(path, std::ios::binary)) {
    if (!*file_) throw ArchiveError("cannot open the file");
    file_->seekg(0, std::ios::end);
    const std::streamoff size = file_->tellg();
    file_->seekg(0, std::ios::beg);
    if (size < 0 || !*file_) throw ArchiveError("cannot read the file");
    totalSize_ = static_cast<uint64_t>(size);
    buffer_.resize(static_cast<size_t>(std::min<uint64_t>(kReadBufferSize, std::max<uint64_t>(totalSize_, 1))));
    begin_ = next_ = end_ = buffer_.data();
}

ArchiveReader::ArchiveReader(const uint8_t* data, size_t size)
    : begin_(data), next_(data), end_(data + size), totalSize_(size) {}

bool ArchiveReader::Refill() {
    if (!file_) return false;
    consumed_ += static_cast<uint64_t>(end_ - begin_);
    file_->read(reinterpret_cast<char*>(buffer_.data()), static_cast<std::streamsize>(buffer_.size()));
    const auto got = static_cast<size_t>(file_->gcount());
    begin_ = next_ = buffer_.data();
    end_ = begin_ + got;
    return got > 0;
}

void ArchiveReader::ThrowShort(uint64_t wanted) const {
    throw ArchiveError("the file ends at byte " + std::to_string(totalSize_) + " where " +
                       std::to_string(wanted) + " more bytes were expected at byte " +
                       std::to_string(Position()));
}

void ArchiveReader::TakeSlow(uint8_t* out, size_t n) {
    if (n > Remaining()) ThrowShort(n);
    while (n > 0) {
        if (next_ == end_ && !Refill()) throw ArchiveError("the file could not be read at byte " + std::to_string(Position()));
        const size_t part = std::min(n, static_cast<size_t>(end_ - next_));
        std::memcpy(out, next_, part);
        next_ += part;
        out += part;
        n -= part;
    }
}

void ArchiveReader::Rewind(const Mark& mark) {
    nextIndex_ = mark.NextIndex;
    stringRead_ = mark.StringRead;
    firstStringForm_ = mark.FirstStringForm;
    if (mark.Position >= consumed_ && mark.Position <= consumed_ + static_cast<uint64_t>(end_ - begin_)) {
        next_ = begin_ + (mark.Position - consumed_);
        return;
    }
    // Before the bytes in the buffer: only a file reader gets here.
    file_->clear();
    file_->seekg(static_cast<std::streamoff>(mark.Position));
    if (!*file_) throw ArchiveError("the file could not be read again at byte " + std::to_string(mark.Position));
    consumed_ = mark.Position;
    begin_ = next_ = end_ = buffer_.data();
}

std::string ArchiveReader::ReadFixedString(size_t n) {
    if (n > Remaining()) ThrowShort(n);
    std::string s(n, '\0');
    Take(s.data(), n);
    return s;
}

void ArchiveReader::Skip(uint64_t n) {
    if (n > Remaining()) ThrowShort(n);
    while (n > 0) {
        if (next_ == end_ && !Refill()) throw ArchiveError("the file could not be read at byte " + std::to_string(Position()));
        const auto part = static_cast<size_t>(std::min<uint64_t>(n, static_cast<uint64_t>(end_ - next_)));
        next_ += part;
        n -= part;
    }
}

ArchiveString ArchiveReader::ReadString() {
    const uint64_t at = Position();
    StringForm form = StringForm::Bytes;
    uint64_t length = ReadU8();
    if (length == 0xFF) {
        length = ReadU16();
        if (length == 0xFFFE) {
            form = StringForm::Wide;
            length = ReadU8();
            if (length == 0xFF) length = ReadU16();
        }
        if (length == 0xFFFF) length = ReadU32();
    }
    const uint64_t bytes = form == StringForm::Wide ? 2 * length : length;
    if (bytes > Remaining())
        throw ArchiveError("a string of " + std::to_string(bytes) + " bytes at byte " + std::to_string(at) +
                           " does not fit in the rest of the file");
    if (!stringRead_) {
        stringRead_ = true;
        firstStringForm_ = form;
    }
    return ArchiveString::FromStored(form, ReadFixedString(static_cast<size_t>(bytes)));
}

uint32_t ArchiveReader::ReadCount(size_t minElementBytes) {
    uint32_t count = ReadU16();
    if (count == 0xFFFF) count = ReadU32();
    if (minElementBytes > 0 && count > Remaining() / minElementBytes)
        throw ArchiveError("a count of " + std::to_string(count) + " at byte " + std::to_string(Position()) +
                           " does not fit in the rest of the file");
    return count;
}

ArchiveTag ArchiveReader::ReadTag() {
    const uint64_t at = Position();
    const uint16_t tag = ReadU16();
    ArchiveTag result;
    if (tag == 0xFFFF) {
        ReadU16();  // schema number, not used
        const uint16_t nameLength = ReadU16();
        if (nameLength > kMaxClassNameLength)
            throw ArchiveError("a class name of " + std::to_string(nameLength) + " bytes at byte " +
                               std::to_string(at) + " is too long");
        result.IsNewClass = true;
        result.ClassName = ReadFixedString(nameLength);
        result.ClassIndex = nextIndex_++;
    } else if (tag == 0x7FFF) {
        // Large index: the top bit of the u32 marks a class; accepted set or clear.
        result.ClassIndex = ReadU32() & 0x7FFFFFFFu;
    } else if (tag & 0x8000) {
        result.ClassIndex = tag - 0x8000u;
    } else {
        // Below 0x8000 the archive format refers to an object already read; drawings never
        // write objects by reference.
        throw ArchiveError("the object tag " + Hex(tag) + " at byte " + std::to_string(at) + " is not a class tag");
    }
    return result;
}

namespace {

// The system's reason for the last failed file operation, where the stream left one.
std::string SystemReason() {
    const int error = errno;
    return error != 0 ? ": " + std::generic_category().message(error) : std::string();
}

}  // namespace

FileSink::FileSink(const std::filesystem::path& path) {
    errno = 0;
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_) throw ArchiveError("cannot create the file" + SystemReason());
}

void FileSink::Write(const uint8_t* data, size_t size) {
    errno = 0;
    out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out_) throw ArchiveError("cannot write the file" + SystemReason());
}

void FileSink::Close() {
    errno = 0;
    out_.flush();
    if (!out_) throw ArchiveError("cannot write the file" + SystemReason());
    out_.close();
    if (out_.fail()) throw ArchiveError("cannot close the file");
}

ComparingSink::ComparingSink(const std::filesystem::path& path) : file_(path, std::ios::binary) {
    if (!file_) throw ArchiveError("cannot open the file to compare with");
    file_.seekg(0, std::ios::end);
    const std::streamoff size = file_.tellg();
    file_.seekg(0, std::ios::beg);
    if (size < 0 || !file_) throw ArchiveError("cannot read the file to compare with");
    fileSize_ = static_cast<uint64_t>(size);
}

void ComparingSink::Write(const uint8_t* data, size_t size) {
    const uint64_t at = written_;
    written_ += size;
    if (difference_ || at >= fileSize_) return;
    const auto comparable = static_cast<size_t>(std::min<uint64_t>(size, fileSize_ - at));
    for (size_t done = 0; done < comparable;) {
        const size_t part = std::min(comparable - done, kReadBufferSize);
        piece_.resize(part);
        if (!file_.read(reinterpret_cast<char*>(piece_.data()), static_cast<std::streamsize>(part)))
            throw ArchiveError("the file to compare with could not be read at byte " + std::to_string(at + done));
        const auto theirs = std::mismatch(data + done, data + done + part, piece_.begin()).second;
        if (theirs != piece_.end()) {
            difference_ = at + done + static_cast<uint64_t>(theirs - piece_.begin());
            return;
        }
        done += part;
    }
}

std::optional<uint64_t> ComparingSink::FirstDifference() const {
    if (difference_) return difference_;
    if (written_ != fileSize_) return std::min(written_, fileSize_);
    return std::nullopt;
}

void MemorySink::Write(const uint8_t* data, size_t size) { bytes.insert(bytes.end(), data, data + size); }

void ArchiveWriter::PutPastBuffer(const uint8_t* data, size_t n) {
    Flush();
    if (n > kBufferSize) {
        sink_.Write(data, n);
        flushed_ += n;
        return;
    }
    std::memcpy(buffer_.data(), data, n);
    used_ = n;
}

void ArchiveWriter::Flush() {
    if (used_ == 0) return;
    // Count the bytes as flushed only once the sink took them.
    sink_.Write(buffer_.data(), used_);
    flushed_ += used_;
    used_ = 0;
}

// Lengths below 0xFFFE take the u16 form: 0xFFFE itself would read as the wide marker.
void ArchiveWriter::WriteString(const ArchiveString& s) {
    if (!s.HasOwnForm() && s.Form() != stringForm_) {
        WriteString(ArchiveString::Empty(stringForm_));
        return;
    }
    if (s.IsWide()) {
        WriteU8(0xFF);
        WriteU16(0xFFFE);
    }
    const size_t length = s.Length();
    if (length < 0xFF) {
        WriteU8(static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<uint16_t>(length));
    } else if (length <= 0xFFFFFFFFu) {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<uint32_t>(length));
    } else {
        throw ArchiveError("a string of " + std::to_string(length) + " characters is too long to be written");
    }
    WriteFixedString(s.Stored());
}

void ArchiveWriter::WriteCount(uint32_t count) {
    if (count < 0xFFFF) {
        WriteU16(static_cast<uint16_t>(count));
    } else {
        WriteU16(0xFFFF);
        WriteU32(count);
    }
}

void ArchiveWriter::WriteTag(uint32_t& classIndex, std::string_view className, uint16_t schema) {
    if (classIndex == 0) {
        WriteU16(0xFFFF);
        WriteU16(schema);
        WriteU16(static_cast<uint16_t>(className.size()));
        WriteFixedString(className);
        classIndex = nextIndex_++;
    } else if (classIndex < 0x7FFF) {
        WriteU16(static_cast<uint16_t>(0x8000u + classIndex));
    } else {
        WriteU16(0x7FFF);
        WriteU32(0x80000000u | classIndex);
    }
}

bool ReadFileWith(const std::filesystem::path& path, const std::function<void(ArchiveReader&)>& read,
                  std::string* error) {
    try {
        ArchiveReader in(path);
        read(in);
        return true;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return false;
    }
}

bool WriteFileWith(const std::filesystem::path& path, const std::function<void(ByteSink&)>& write,
                   std::string* error) {
    return WriteFileAtomically(path, write, error);
}

ArchiveString CleanArchiveText(const ArchiveString& text) {
    if (text.empty()) return text;
    ArchiveString out = ArchiveString::Empty(text.Form());
    const size_t length = text.Length();
    size_t i = 0;
    while (i < length) {
        const char16_t unit = text.UnitAt(i);
        if (!text.IsWide() && IsShiftJisLeadByte(static_cast<uint8_t>(unit))) {
            out.Append(unit);
            if (i + 1 < length) out.Append(text.UnitAt(i + 1));
            i += 2;
        } else if (unit == u'^' && i + 1 < length && text.UnitAt(i + 1) == u'm') {
            i += 2;
        } else {
            if (unit >= 0x20) out.Append(unit);
            i += 1;
        }
    }
    if (out.empty()) out.Append(u' ');
    return out;
}

}  // namespace tolvane
