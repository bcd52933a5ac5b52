#include "tools/zellwick-count/CountReport.h"

#include <algorithm>

namespace zellwick::count {

namespace {

// Length of the valid UTF-8 sequence at the start of bytes, or 0.
std::size_t Utf8Sequence(std::string_view bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        value = lead & 0x07u;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3Fu);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

// A path for the table: one line, whatever bytes its name holds.
std::string Printable(const std::string& bytes, std::size_t& width)
{
    std::string text;
    width = 0;
    std::string_view rest(bytes);
    while (!rest.empty()) {
        const std::size_t length = Utf8Sequence(rest);
        if (length == 0 || static_cast<unsigned char>(rest[0]) < 0x20 || rest[0] == 0x7F) {
            text += '?';
            rest.remove_prefix(length == 0 ? 1 : length);
        } else {
            text.append(rest.substr(0, length));
            rest.remove_prefix(length);
        }
        ++width;
    }
    return text;
}

void Pad(std::string& out, std::size_t width, std::size_t target)
{
    out.append(target > width ? target - width : 0, ' ');
}

} // namespace

CountTotal Total(const std::vector<FileCount>& counts)
{
    CountTotal total;
    for (const FileCount& count : counts) {
        if (count.error != 0)
            continue;
        total.hands += count.hands;
        total.vppCents += count.vppCents;
        ++total.files;
    }
    return total;
}

std::string FormatVpp(std::int64_t cents)
{
    const bool negative = cents < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 100);
    text += '.';
    text += static_cast<char>('0' + magnitude % 100 / 10);
    text += static_cast<char>('0' + magnitude % 10);
    return text;
}

std::string FormatTable(const std::vector<FileCount>& counts)
{
    struct Row
    {
        std::string name;
        std::size_t width = 0;
        std::string hands;
        std::string vpp;
    };
    std::vector<Row> rows;
    rows.push_back({"FILE", 4, "HANDS", "VPP"});
    for (const FileCount& count : counts) {
        if (count.error != 0)
            continue;
        Row row;
        row.name = Printable(count.path.native(), row.width);
        row.hands = std::to_string(count.hands);
        row.vpp = FormatVpp(count.vppCents);
        rows.push_back(row);
    }
    const CountTotal total = Total(counts);
    Row last;
    last.name = "TOTAL (" + std::to_string(total.files) + (total.files == 1 ? " file)" : " files)");
    last.width = last.name.size();
    last.hands = std::to_string(total.hands);
    last.vpp = FormatVpp(total.vppCents);
    rows.push_back(last);

    std::size_t nameWidth = 0, handsWidth = 0, vppWidth = 0;
    for (const Row& row : rows) {
        nameWidth = std::max(nameWidth, row.width);
        handsWidth = std::max(handsWidth, row.hands.size());
        vppWidth = std::max(vppWidth, row.vpp.size());
    }
    std::string out;
    for (const Row& row : rows) {
        out += row.name;
        Pad(out, row.width, nameWidth + 2);
        Pad(out, row.hands.size(), handsWidth);
        out += row.hands;
        Pad(out, row.vpp.size(), vppWidth + 2);
        out += row.vpp;
        out += '\n';
    }
    return out;
}

void AppendJsonString(std::string& out, std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    while (!bytes.empty()) {
        const std::size_t length = Utf8Sequence(bytes);
        const auto byte = static_cast<unsigned char>(bytes[0]);
        if (length == 0) {
            out += "\\ufffd";
            bytes.remove_prefix(1);
            continue;
        }
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out.append(bytes.substr(0, length));
        }
        bytes.remove_prefix(length);
    }
    out += '"';
}

std::string FormatJson(const std::vector<FileCount>& counts)
{
    std::string out = "{\"files\": [";
    bool first = true;
    for (const FileCount& count : counts) {
        if (count.error != 0)
            continue;
        out += first ? "\n  {\"path\": " : ",\n  {\"path\": ";
        first = false;
        AppendJsonString(out, count.path.native());
        out += ", \"hands\": " + std::to_string(count.hands);
        out += ", \"vpp_cents\": " + std::to_string(count.vppCents) + "}";
    }
    const CountTotal total = Total(counts);
    out += first ? "],\n" : "\n],\n";
    out += " \"total\": {\"hands\": " + std::to_string(total.hands);
    out += ", \"vpp_cents\": " + std::to_string(total.vppCents);
    out += ", \"files\": " + std::to_string(total.files) + "}}\n";
    return out;
}

} // namespace zellwick::count
