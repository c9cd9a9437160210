#include "settings/profile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "formats/atomic_file.h"
#include "formats/text.h"
#include "formats/utf8_path.h"

namespace tolvane {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kNewLine = "\r\n";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Section and key names compare as the Windows profile functions do: ASCII letters without
// regard to case, double-byte Shift-JIS characters exactly (their trail bytes can look like
// ASCII letters).
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i) {
        const auto c = static_cast<unsigned char>(a[i]);
        if (IsCodePage932LeadByte(c) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// What one line of a profile file is.
struct LineView {
    enum Kind { Other, Section, Key } LineKind = Other;
    std::string_view Name;   // section or key name, trimmed
    std::string_view Value;  // value of a key, trimmed
};

LineView Classify(std::string_view line) {
    const std::string_view text = Trim(line);
    LineView view;
    if (text.empty() || text.front() == ';') return view;
    if (text.front() == '[') {
        const size_t close = text.find(']');
        if (close != std::string_view::npos) {
            view.LineKind = LineView::Section;
            view.Name = Trim(text.substr(1, close - 1));
        }
        return view;
    }
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return view;
    view.Name = Trim(text.substr(0, equals));
    if (view.Name.empty()) return view;
    view.LineKind = LineView::Key;
    view.Value = Trim(text.substr(equals + 1));
    return view;
}

bool Contains(std::string_view text, std::string_view bytes) { return text.find_first_of(bytes) != std::string_view::npos; }

}  // namespace

ProfileDocument ProfileDocument::Parse(std::string_view bytes) {
    ProfileDocument document;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t newline = bytes.find('\n', start);
        Line line;
        if (newline == std::string_view::npos) {
            line.Text = std::string(bytes.substr(start));
            start = bytes.size();
        } else {
            size_t textEnd = newline;
            if (textEnd > start && bytes[textEnd - 1] == '\r') --textEnd;
            line.Text = std::string(bytes.substr(start, textEnd - start));
            line.End = std::string(bytes.substr(textEnd, newline + 1 - textEnd));
            start = newline + 1;
        }
        document.lines_.push_back(std::move(line));
    }
    return document;
}

ProfileDocument ProfileDocument::Load(const std::string& file) {
    std::optional<ProfileDocument> document = LoadForUpdate(file);
    return document ? std::move(*document) : ProfileDocument{};
}

std::optional<ProfileDocument> ProfileDocument::LoadForUpdate(const std::string& file) {
    std::error_code error;
    const fs::path path = PathFromUtf8(file);
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return ProfileDocument{};
    if (error || status.type() != fs::file_type::regular) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return Parse(bytes);
}

std::optional<ProfileDocument> ProfileDocument::LoadExisting(const std::string& file) {
    std::error_code error;
    if (!fs::exists(PathFromUtf8(file), error)) return std::nullopt;
    return LoadForUpdate(file);
}

namespace {

// A key's value as the profile functions give it: one pair of matching quotes removed, cut to
// what the caller's buffer holds (bufferSize - 1 bytes and the terminator).
std::string_view ValueOf(std::string_view value, size_t bufferSize) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value.substr(0, bufferSize == 0 ? 0 : bufferSize - 1);
}

}  // namespace

std::map<std::string, std::string> ProfileDocument::SectionValues(std::string_view section, size_t bufferSize) const {
    std::map<std::string, std::string> values;
    bool inSection = false;
    for (const Line& line : lines_) {
        const LineView view = Classify(line.Text);
        if (view.LineKind == LineView::Section) {
            // Only the first section of that name is searched.
            if (inSection) break;
            inSection = SameName(view.Name, section);
            continue;
        }
        if (inSection && view.LineKind == LineView::Key)
            values.emplace(ShiftJisAsciiUpperCase(view.Name, LeadBytes::CodePage932), ValueOf(view.Value, bufferSize));
    }
    return values;
}

std::pair<bool, std::string> ProfileDocument::Get(std::string_view section, std::string_view key,
                                                  size_t bufferSize) const {
    bool inSection = false;
    bool sectionSeen = false;
    for (const Line& line : lines_) {
        const LineView view = Classify(line.Text);
        if (view.LineKind == LineView::Section) {
            // Only the first section of that name is searched.
            if (sectionSeen) break;
            inSection = SameName(view.Name, section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection || view.LineKind != LineView::Key || !SameName(view.Name, key)) continue;
        const std::string_view value = ValueOf(view.Value, bufferSize);
        return {!value.empty(), std::string(value)};
    }
    return {false, std::string()};
}

bool ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    const std::string_view lineEnds = "\r\n";
    if (section.empty() || key.empty() || Contains(section, lineEnds) || Contains(key, lineEnds) ||
        Contains(value, lineEnds) || Contains(section, "]") || Contains(key, "=") || key.front() == ';' ||
        key.front() == '[')
        return false;

    size_t sectionLine = lines_.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        const LineView view = Classify(lines_[i].Text);
        if (view.LineKind == LineView::Section && SameName(view.Name, section)) {
            sectionLine = i;
            break;
        }
    }
    auto insertAt = [&](size_t position, std::string text) {
        // A last line without a line end gets one before anything follows it.
        if (position > 0 && lines_[position - 1].End.empty()) lines_[position - 1].End = kNewLine;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position), Line{std::move(text), std::string(kNewLine)});
    };
    const std::string keyValue = std::string(key) + "=" + std::string(value);

    if (sectionLine == lines_.size()) {
        insertAt(lines_.size(), "[" + std::string(section) + "]");
        insertAt(lines_.size(), keyValue);
        return true;
    }
    // The key goes after the last non-blank line of the section, ahead of the blank lines that
    // usually separate it from the next one.
    size_t insertPosition = sectionLine + 1;
    for (size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        const LineView view = Classify(lines_[i].Text);
        if (view.LineKind == LineView::Section) break;
        if (view.LineKind == LineView::Key && SameName(view.Name, key)) {
            lines_[i].Text = std::string(view.Name) + "=" + std::string(value);
            return true;
        }
        if (!Trim(lines_[i].Text).empty()) insertPosition = i + 1;
    }
    insertAt(insertPosition, keyValue);
    return true;
}

std::string ProfileDocument::Bytes() const {
    std::string bytes;
    for (const Line& line : lines_) {
        bytes += line.Text;
        bytes += line.End;
    }
    return bytes;
}

bool ProfileDocument::Save(const std::string& file) const {
    std::error_code error;
    fs::path target = PathFromUtf8(file);
    // A link is followed, so that the file it points to is the one replaced.
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (error) return false;
        target = resolved;
    }
    try {
        AtomicFile output(target);
        {
            std::ofstream out(output.TemporaryPath(), std::ios::binary | std::ios::trunc);
            const std::string bytes = Bytes();
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            out.close();
            if (!out) return false;
        }
        const fs::file_status existing = fs::status(target, error);
        if (!error && fs::is_regular_file(existing))
            fs::permissions(output.TemporaryPath(), existing.permissions(), fs::perm_options::replace, error);
        output.Commit();
        return true;
    } catch (const ArchiveError&) {
        return false;
    }
}

std::pair<bool, std::string> ReadProfileValue(std::string_view section, std::string_view key, size_t bufferSize,
                                              const std::string& file) {
    return ProfileDocument::Load(file).Get(section, key, bufferSize);
}

bool WriteProfileValue(std::string_view section, std::string_view key, std::string_view value, const std::string& file) {
    std::optional<ProfileDocument> document = ProfileDocument::LoadForUpdate(file);
    return document && document->Set(section, key, value) && document->Save(file);
}

}  // namespace tolvane
