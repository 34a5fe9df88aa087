// loc_format.cpp - reads and writes the .loc / .desc formats: a bounds-checked reader
// over the bytes in memory that names the item and byte of any damage, and writers
// that refuse what the 16-bit fields cannot hold rather than cut it.
#include "formats/loc_format.h"

namespace locformat {
namespace {

struct ByteReader {
    std::string_view data;
    size_t pos = 0;

    size_t Left() const { return data.size() - pos; }
    bool ReadInt16(int& value) {
        if (Left() < 2) return false;
        value = DecodeInt16(reinterpret_cast<const unsigned char*>(data.data() + pos));
        pos += 2;
        return true;
    }
};

// One record into `out`. `what` names it in the message, e.g. "the text of item 3".
Result ReadRecord(ByteReader& in, const std::string& file, const std::string& what, std::string& out) {
    const size_t at = in.pos;
    int length = 0;
    if (!in.ReadInt16(length))
        return Fail(file + " is cut short: it ends at byte " + std::to_string(in.data.size()) +
                    " before the length of " + what);
    if (length < 0)
        return Fail(file + " is damaged: " + what + " has the negative length " + std::to_string(length) +
                    " (at byte " + std::to_string(at) + ")");
    if (in.Left() < static_cast<size_t>(length))
        return Fail(file + " is cut short: " + what + " needs " + std::to_string(length) + " bytes from byte " +
                    std::to_string(in.pos) + " but the file ends at byte " + std::to_string(in.data.size()));
    out.assign(in.data.substr(in.pos, static_cast<size_t>(length)));
    in.pos += static_cast<size_t>(length);
    return {};
}

Result CheckTail(const ByteReader& in, const std::string& file, Trailing trailing, size_t count) {
    if (trailing == Trailing::Ignore || in.Left() == 0) return {};
    return Fail(file + " has " + std::to_string(in.Left()) + " byte(s) after the last of its " + std::to_string(count) +
                " items (is it damaged, or from another file?)");
}

Result CheckCount(size_t count, const std::string& file) {
    if (count <= static_cast<size_t>(kMaxCount)) return {};
    return Fail(file + ": " + std::to_string(count) + " items; a file holds at most " + std::to_string(kMaxCount));
}

Result CheckLength(const std::string& value, const std::string& file, const char* what, size_t i) {
    if (value.size() <= static_cast<size_t>(kMaxLength)) return {};
    return Fail(file + ": the " + std::string(what) + " of item " + std::to_string(i) + " is " +
                std::to_string(value.size()) + " bytes long; a record holds at most " + std::to_string(kMaxLength));
}

}  // namespace

Result Fail(std::string message) { return {false, std::move(message)}; }

int16_t DecodeInt16(const unsigned char bytes[2]) {
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

void AppendInt16(std::string& out, int value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void AppendRecord(std::string& out, std::string_view value) {
    AppendInt16(out, static_cast<int>(value.size()));
    out.append(value);
}

Result ParseLoc(std::string_view bytes, const std::string& file, Trailing trailing, std::vector<std::string>& texts) {
    ByteReader in{bytes};
    int count = 0;
    if (!in.ReadInt16(count))
        return Fail(file + " is cut short: it holds " + std::to_string(bytes.size()) +
                    " of the 2 bytes of the item count");
    if (count < 0) return Fail(file + " is damaged: its item count is negative (" + std::to_string(count) + ")");
    texts.assign(static_cast<size_t>(count), {});
    for (int i = 0; i < count; ++i) {
        Result r = ReadRecord(in, file, "the text of item " + std::to_string(i), texts[i]);
        if (!r.ok) return r;
    }
    return CheckTail(in, file, trailing, texts.size());
}

Result ParseDesc(std::string_view bytes, const std::string& file, int count, Trailing trailing, Descriptions& out) {
    ByteReader in{bytes};
    const bool untilEnd = count == kUntilEnd;
    out.names.assign(untilEnd ? 0 : static_cast<size_t>(count), {});
    out.descs.assign(out.names.size(), {});
    for (size_t i = 0; untilEnd ? in.Left() > 0 : i < out.names.size(); ++i) {
        if (untilEnd) {
            if (i >= static_cast<size_t>(kMaxCount))
                return Fail(file + " holds more than " + std::to_string(kMaxCount) + " items");
            out.names.emplace_back();
            out.descs.emplace_back();
        }
        Result r = ReadRecord(in, file, "the name of item " + std::to_string(i), out.names[i]);
        if (r.ok) r = ReadRecord(in, file, "the description of item " + std::to_string(i), out.descs[i]);
        if (!r.ok) return r;
    }
    return CheckTail(in, file, trailing, out.names.size());
}

Result EncodeLoc(const std::vector<std::string>& texts, const std::string& file, std::string& out) {
    Result r = CheckCount(texts.size(), file);
    size_t total = 2;
    for (size_t i = 0; r.ok && i < texts.size(); ++i) {
        r = CheckLength(texts[i], file, "text", i);
        total += 2 + texts[i].size();
    }
    if (!r.ok) return r;
    out.clear();
    out.reserve(total);
    AppendInt16(out, static_cast<int>(texts.size()));
    for (const std::string& text : texts) AppendRecord(out, text);
    return {};
}

Result EncodeDesc(const Descriptions& desc, const std::string& file, std::string& out) {
    if (desc.names.size() != desc.descs.size())
        return Fail(file + ": " + std::to_string(desc.names.size()) + " names but " +
                    std::to_string(desc.descs.size()) + " descriptions");
    Result r = CheckCount(desc.names.size(), file);
    for (size_t i = 0; r.ok && i < desc.names.size(); ++i) {
        r = CheckLength(desc.names[i], file, "name", i);
        if (r.ok) r = CheckLength(desc.descs[i], file, "description", i);
    }
    if (!r.ok) return r;
    out.clear();
    for (size_t i = 0; i < desc.names.size(); ++i) {
        AppendRecord(out, desc.names[i]);
        AppendRecord(out, desc.descs[i]);
    }
    return {};
}

}  // namespace locformat
