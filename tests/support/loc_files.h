// loc_files.h - .loc / .desc fixtures for the tests and benchmarks: the bytes made by
// the format module itself (no private writers), and whole files written and read back.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/loc_format.h"

namespace locfixture {

namespace fs = std::filesystem;

// Pieces of hand-made (often damaged) files.
inline std::string Int16(int value) {
    std::string out;
    locformat::AppendInt16(out, value);
    return out;
}
inline std::string Record(std::string_view value) { return Int16(static_cast<int>(value.size())) + std::string(value); }

inline std::string LocBytes(const std::vector<std::string>& texts) {
    std::string out;
    locformat::EncodeLoc(texts, "fixture.loc", out);
    return out;
}

// Name and description of each item.
inline std::string DescBytes(const std::vector<std::pair<std::string, std::string>>& items) {
    locformat::Descriptions desc;
    for (const auto& [name, text] : items) {
        desc.names.push_back(name);
        desc.descs.push_back(text);
    }
    std::string out;
    locformat::EncodeDesc(desc, "fixture.desc", out);
    return out;
}

// Writes `bytes` as the whole file, making its folder.
inline void WriteFile(const fs::path& path, std::string_view bytes) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace locfixture
