// loc_format.h - the .loc and .desc file formats, read and written in one place for
// the editor, loctool, the tests and the benchmarks. Pure standard library: no files
// are touched here (platform/ does that), only bytes in memory.
//
// Both formats are little-endian, with no magic, version or checksum. A record is a
// signed 16-bit byte length, then that many bytes of text (no terminator).
//   .loc:  the item count (signed 16-bit), then one text record per item.
//   .desc: per item a name record, then a description record; no count of its own,
//          so it is read with the count of a .loc file (or, by loctool, to its end).
// Texts are bytes: line breaks, colour tags and NUL bytes are kept whole both ways.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace locformat {

// A count and a record length are signed 16-bit.
constexpr int kMaxCount = 32767;
constexpr int kMaxLength = 32767;
// ParseDesc's count when the file alone decides how many items it holds.
constexpr int kUntilEnd = -1;

// `message` names the file and says what is wrong when `ok` is false.
struct Result {
    bool ok = true;
    std::string message;
};
Result Fail(std::string message);

// Bytes after the last record: the editor has always ignored them; loctool refuses
// them, since a dump would silently lose them.
enum class Trailing { Ignore, Refuse };

// The names and descriptions of a .desc file, entry i of each belonging to item i.
struct Descriptions {
    std::vector<std::string> names, descs;
};

// `file` names the file in messages. On failure the outputs hold nothing useful.
Result ParseLoc(std::string_view bytes, const std::string& file, Trailing trailing, std::vector<std::string>& texts);
Result ParseDesc(std::string_view bytes, const std::string& file, int count, Trailing trailing, Descriptions& out);

// Refuse (and name the item of) a record longer than kMaxLength or more than kMaxCount items.
Result EncodeLoc(const std::vector<std::string>& texts, const std::string& file, std::string& out);
Result EncodeDesc(const Descriptions& desc, const std::string& file, std::string& out);

// The building blocks, for readers of a part of a file and for writing damaged files on purpose.
int16_t DecodeInt16(const unsigned char bytes[2]);
void AppendInt16(std::string& out, int value);
void AppendRecord(std::string& out, std::string_view value);

}  // namespace locformat
