// desk_reference.cpp - choosing, remembering and reading the reference language, and
// the read-only form of a reference text.
#include "editor/desk_reference.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "editor/edited_text.h"
#include "editor/qa/qa_checks.h"
#include "platform/platform.h"
#include "render/text_shape.h"

std::string PickReference(const std::vector<std::string>& folders, const std::string& remembered) {
    if (folders.empty()) return {};
    const auto has = [&](const std::string& name) {
        return std::find(folders.begin(), folders.end(), name) != folders.end();
    };
    if (!remembered.empty() && has(remembered)) return remembered;
    return has("English") ? "English" : folders.front();
}

std::string NextReference(const std::vector<std::string>& folders, const std::string& current) {
    if (folders.empty()) return {};
    const auto at = std::find(folders.begin(), folders.end(), current);
    if (at == folders.end() || at + 1 == folders.end()) return folders.front();
    return *(at + 1);
}

std::string ParseReferenceFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    // Every CR before the line feed: some editors save a line end as CR CR LF, and no
    // folder name ends with one.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return std::string(line);
}

std::string ReadRememberedReference(std::string* problem) {
    std::string bytes;
    std::error_code ec;
    if (!std::filesystem::exists(PlatFsPath(kReferenceFile), ec)) return {};  // none yet: the default
    std::string why;
    if (!PlatReadFile(kReferenceFile, bytes, &why)) {
        if (problem) *problem = why + "; the reference is the default one";
        return {};
    }
    return ParseReferenceFile(bytes);
}

StoreResult RememberReference(const std::string& folder) { return ReplaceFile(kReferenceFile, folder + "\n"); }

StoreResult ReadReferenceTexts(const std::string& folder, const std::string& file, std::vector<std::string>& texts) {
    texts.clear();
    // The store's own reader, so a reference is read exactly as an edited file is; the
    // loaded file is set aside meanwhile and comes back untouched.
    TextStore loaded;
    std::swap(loaded, g_store);
    const StoreResult read = ReadTexts(folder + "\\" + file);
    if (read.ok) texts = std::move(g_store.texts);
    std::swap(loaded, g_store);
    return read;
}

std::string TagsAsText(std::string_view text, std::string_view breaker) {
    const std::string view = TextBoxView(text);
    std::string shown;
    shown.reserve(view.size());
    for (size_t i = 0; i < view.size(); ++i) {
        // A broken tag is letters: a paragraph that reads right to left but starts with a
        // tag would take the direction of "color". A right-to-left mark keeps its own.
        if ((i == 0 || view[i - 1] == '\n') &&
            shape::ParagraphDirection(std::string_view(view).substr(i)) == shape::Direction::RightToLeft)
            shown += "\u200F";
        shown += view[i];
        if (view[i] == '<' && qa::ColourTagLength(std::string_view(view).substr(i)) > 0) shown += breaker;
    }
    return shown;
}
