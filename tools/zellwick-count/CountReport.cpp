#include "tools/zellwick-count/CountReport.h"

#include <algorithm>
#include <utility>

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

Cell::Cell(std::string cellText, bool toTheLeft)
    : text(std::move(cellText)), width(text.size()), left(toTheLeft)
{}

Cell::Cell(std::string cellText, std::size_t columns, bool toTheLeft)
    : text(std::move(cellText)), width(columns), left(toTheLeft)
{}

std::string AlignColumns(const std::vector<std::vector<Cell>>& rows)
{
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].width);
    }
    std::string out;
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            const Cell& cell = row[i];
            if (i > 0)
                out += "  ";
            if (!cell.left)
                out.append(widths[i] - cell.width, ' ');
            out += cell.text;
            // No blanks at the end of a line.
            if (cell.left && i + 1 < row.size())
                out.append(widths[i] - cell.width, ' ');
        }
        out += '\n';
    }
    return out;
}

std::string FormatTable(const std::vector<FileCount>& counts)
{
    std::vector<std::vector<Cell>> rows;
    rows.push_back({Cell("FILE", true), Cell("HANDS"), Cell("VPP")});
    for (const FileCount& count : counts) {
        if (count.error != 0)
            continue;
        std::size_t width = 0;
        std::string name = Printable(count.path.native(), width);
        rows.push_back({Cell(std::move(name), width, true), Cell(std::to_string(count.hands)),
                        Cell(FormatVpp(count.vppCents))});
    }
    const CountTotal total = Total(counts);
    rows.push_back(
        {Cell("TOTAL (" + std::to_string(total.files) + (total.files == 1 ? " file)" : " files)"),
              true),
         Cell(std::to_string(total.hands)), Cell(FormatVpp(total.vppCents))});
    return AlignColumns(rows);
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
