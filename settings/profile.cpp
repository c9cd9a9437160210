#include "settings/profile.h"

#include <filesystem>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <unordered_map>

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

// One line of the document: its text without the line end, and the line end ("\r\n", "\n",
// or nothing on a last line). A CR that no LF follows belongs to the text.
struct LineSpan {
    std::string_view Text;
    std::string_view End;
};

// Calls visit for each line in turn until it answers false.
template <class Visit>
void ForEachLine(std::string_view bytes, Visit&& visit) {
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t newline = bytes.find('\n', start);
        LineSpan line;
        if (newline == std::string_view::npos) {
            line.Text = bytes.substr(start);
            start = bytes.size();
        } else {
            size_t textEnd = newline;
            if (textEnd > start && bytes[textEnd - 1] == '\r') --textEnd;
            line.Text = bytes.substr(start, textEnd - start);
            line.End = bytes.substr(textEnd, newline + 1 - textEnd);
            start = newline + 1;
        }
        if (!visit(line)) return;
    }
}

// Calls visit for each line that names a section or holds a key, from the offsets of their
// beginnings, until it answers false; without offsets, for every line.
template <class Visit>
void ForEachNamedLine(std::string_view bytes, const std::vector<uint32_t>& named, Visit&& visit) {
    if (bytes.size() > UINT32_MAX) {
        ForEachLine(bytes, [&](const LineSpan& line) { return visit(line.Text); });
        return;
    }
    for (const uint32_t start : named) {
        const size_t newline = bytes.find('\n', start);
        if (!visit(bytes.substr(start, newline == std::string_view::npos ? std::string_view::npos : newline - start)))
            return;
    }
}

// A value as the profile functions give it: one pair of matching quotes removed, cut to what
// the caller's buffer of bufferSize bytes holds besides the terminator.
std::string_view ValueAsRead(std::string_view value, size_t bufferSize) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value.substr(0, bufferSize == 0 ? 0 : bufferSize - 1);
}

bool Acceptable(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view lineEnds = "\r\n";
    return !(section.empty() || key.empty() || Contains(section, lineEnds) || Contains(key, lineEnds) ||
             Contains(value, lineEnds) || Contains(section, "]") || Contains(key, "=") || key.front() == ';' ||
             key.front() == '[');
}

// A line added by writing follows a last line that had no line end only once it has one.
void EndLastLine(std::string& out) {
    if (!out.empty() && out.back() != '\n') out += kNewLine;
}

std::string ReadWhole(std::ifstream& in, uintmax_t size) {
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

}  // namespace

std::string ProfileNameKey(std::string_view name) {
    std::string key(name);
    for (size_t i = 0; i < key.size(); ++i) {
        if (IsCodePage932LeadByte(static_cast<unsigned char>(key[i])) && i + 1 < key.size()) ++i;
        else if (key[i] >= 'A' && key[i] <= 'Z') key[i] = static_cast<char>(key[i] - 'A' + 'a');
    }
    return key;
}

ProfileDocument ProfileDocument::Parse(std::string_view bytes) {
    ProfileDocument document;
    document.bytes_ = std::string(bytes);
    document.IndexNamedLines();
    return document;
}

void ProfileDocument::IndexNamedLines() {
    std::vector<uint32_t>().swap(named_);
    if (bytes_.size() > UINT32_MAX) return;
    ForEachLine(bytes_, [&](const LineSpan& line) {
        if (Classify(line.Text).LineKind != LineView::Other)
            named_.push_back(static_cast<uint32_t>(line.Text.data() - bytes_.data()));
        return true;
    });
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
    const uintmax_t size = fs::file_size(path, error);
    std::ifstream in(path, std::ios::binary);
    if (error || !in) return std::nullopt;
    ProfileDocument document;
    document.bytes_ = ReadWhole(in, size);
    if (in.bad()) return std::nullopt;
    document.IndexNamedLines();
    return document;
}

std::optional<ProfileDocument> ProfileDocument::LoadExisting(const std::string& file) {
    std::error_code error;
    if (!fs::exists(PathFromUtf8(file), error)) return std::nullopt;
    return LoadForUpdate(file);
}

void ProfileDocument::ForEachKey(const std::vector<std::string_view>& sections, size_t bufferSize,
                                 const std::function<void(size_t, std::string_view, std::string_view)>& visit) const {
    std::vector<bool> seen(sections.size(), false);
    size_t current = sections.size();
    ForEachNamedLine(bytes_, named_, [&](std::string_view line) {
        const LineView view = Classify(line);
        if (view.LineKind == LineView::Section) {
            // Only the first section of a name is read.
            current = sections.size();
            for (size_t i = 0; i < sections.size(); ++i) {
                if (seen[i] || !SameName(view.Name, sections[i])) continue;
                seen[i] = true;
                current = i;
                break;
            }
        } else if (current < sections.size() && view.LineKind == LineView::Key) {
            visit(current, view.Name, ValueAsRead(view.Value, bufferSize));
        }
        return true;
    });
}

std::pair<bool, std::string> ProfileDocument::Get(std::string_view section, std::string_view key,
                                                  size_t bufferSize) const {
    bool inSection = false;
    std::optional<std::string_view> found;
    ForEachNamedLine(bytes_, named_, [&](std::string_view line) {
        const LineView view = Classify(line);
        if (view.LineKind == LineView::Section) {
            if (inSection) return false;
            inSection = SameName(view.Name, section);
        } else if (inSection && view.LineKind == LineView::Key && SameName(view.Name, key)) {
            found = ValueAsRead(view.Value, bufferSize);
            return false;
        }
        return true;
    });
    if (!found) return {false, std::string()};
    return {!found->empty(), std::string(*found)};
}

bool ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    return SetAll({{std::string(section), std::string(key), std::string(value)}});
}

// In the first section of each name, a key already there takes its new value in place (the
// file's spelling of the name stays) and the others follow the section's last line that is
// not blank; sections not there follow at the end, in the order of their first entry.
bool ProfileDocument::SetAll(const std::vector<Entry>& entries) {
    struct KeyToSet {
        std::string Name, Value;
        bool Written = false;
    };
    struct SectionToSet {
        std::string Name;
        std::vector<KeyToSet> Keys;
        std::unordered_map<std::string, size_t> KeyIndex;
        bool Found = false;
    };
    std::vector<SectionToSet> sections;
    std::unordered_map<std::string, size_t> sectionIndex;
    bool all = true;
    for (const Entry& entry : entries) {
        const std::string_view section = Trim(entry.Section), key = Trim(entry.Key);
        if (!Acceptable(section, key, entry.Value)) {
            all = false;
            continue;
        }
        const auto [s, newSection] = sectionIndex.try_emplace(ProfileNameKey(section), sections.size());
        if (newSection) sections.push_back({std::string(section), {}, {}, false});
        SectionToSet& target = sections[s->second];
        const auto [k, newKey] = target.KeyIndex.try_emplace(ProfileNameKey(key), target.Keys.size());
        if (newKey) target.Keys.push_back({std::string(key), entry.Value});
        else target.Keys[k->second].Value = entry.Value;
    }
    if (sections.empty()) return all;

    std::string out;
    out.reserve(bytes_.size() + bytes_.size() / 8 + 4096);
    SectionToSet* current = nullptr;  // the section being written into, while the walk is in it
    const char* blanks = nullptr;     // the blank lines at its end so far, held back
    auto flushBlanks = [&](const char* upTo) {
        if (blanks != nullptr) out.append(blanks, static_cast<size_t>(upTo - blanks));
        blanks = nullptr;
    };
    auto closeSection = [&](const char* at) {
        if (current == nullptr) return;
        for (KeyToSet& key : current->Keys) {
            if (key.Written) continue;
            EndLastLine(out);
            out += key.Name + "=" + key.Value + std::string(kNewLine);
            key.Written = true;
        }
        flushBlanks(at);
        current = nullptr;
    };
    ForEachLine(bytes_, [&](const LineSpan& line) {
        const LineView view = Classify(line.Text);
        if (view.LineKind == LineView::Section) {
            closeSection(line.Text.data());
            const auto found = sectionIndex.find(ProfileNameKey(view.Name));
            if (found != sectionIndex.end() && !sections[found->second].Found) {
                current = &sections[found->second];
                current->Found = true;
            }
        } else if (current != nullptr) {
            if (view.LineKind == LineView::Key) {
                const auto found = current->KeyIndex.find(ProfileNameKey(view.Name));
                if (found != current->KeyIndex.end() && !current->Keys[found->second].Written) {
                    KeyToSet& key = current->Keys[found->second];
                    flushBlanks(line.Text.data());
                    out += std::string(view.Name) + "=" + key.Value;
                    out += line.End;
                    key.Written = true;
                    return true;
                }
            }
            if (Trim(line.Text).empty()) {
                if (blanks == nullptr) blanks = line.Text.data();
                return true;
            }
            flushBlanks(line.Text.data());
        }
        out += line.Text;
        out += line.End;
        return true;
    });
    closeSection(bytes_.data() + bytes_.size());
    for (SectionToSet& section : sections) {
        if (section.Found) continue;
        EndLastLine(out);
        out += "[" + section.Name + "]" + std::string(kNewLine);
        for (const KeyToSet& key : section.Keys) out += key.Name + "=" + key.Value + std::string(kNewLine);
    }
    bytes_ = std::move(out);
    IndexNamedLines();
    return all;
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
            out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
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
