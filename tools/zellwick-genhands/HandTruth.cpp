#include "tools/zellwick-genhands/HandTruth.h"

#include "tools/zellwick-genhands/Money.h"

namespace zellwick::genhands {

double VppRate(int currency, int bigBlindCents, int seats)
{
    if (currency < 0 || currency > 2)
        return 0.0;
    // Columns: dollar, euro, pound.
    static constexpr double kMicro2[] = {10.0, 12.0, 0.0};
    static constexpr double kMicro5[] = {8.5, 10.0, 0.0};
    static constexpr double kMicro10[] = {7.0, 9.0, 0.0};
    static constexpr double kFullRing[] = {6.0, 8.0, 10.5};
    static constexpr double kShortHanded[] = {5.5, 7.0, 8.8};
    switch (bigBlindCents) {
    case 2:
        return kMicro2[currency];
    case 5:
        return kMicro5[currency];
    case 10:
        return kMicro10[currency];
    default:
        return seats > 7 ? kFullRing[currency] : kShortHanded[currency];
    }
}

int HeroVppCents(int currency, int bigBlindCents, int seats, std::int64_t heroInvestedCents,
                 std::int64_t potCents, std::int64_t rakeCents)
{
    if (rakeCents <= 0 || potCents <= 0 || heroInvestedCents <= 0)
        return 0;
    const double rake = static_cast<double>(rakeCents) / 100.0;
    const double handPoints = static_cast<double>(
        static_cast<std::int64_t>(rake * VppRate(currency, bigBlindCents, seats) * 100 + 0.5));
    const double share =
        (static_cast<double>(heroInvestedCents) / 100.0) / (static_cast<double>(potCents) / 100.0);
    return static_cast<int>(handPoints * 0.01 * share * 100 + 0.5);
}

void AppendJsonString(std::string& out, const std::string& utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

TruthJson::TruthJson(const std::string& hero, std::uint64_t seed)
{
    m_pending = "{\n\"hero\": ";
    AppendJsonString(m_pending, hero);
    m_pending += ",\n\"seed\": ";
    m_pending += std::to_string(seed);
    m_pending += ",\n\"hands\": [";
}

void TruthJson::Add(const HandTruth& hand)
{
    m_pending += m_hands == 0 ? "\n" : ",\n";
    m_pending += "{\"id\": ";
    AppendInt(m_pending, hand.handId);
    m_pending += ", \"zoom\": ";
    m_pending += hand.zoom ? "true" : "false";
    m_pending += ", \"currency\": ";
    AppendInt(m_pending, hand.currency);
    m_pending += ", \"bb_cents\": ";
    AppendInt(m_pending, hand.bigBlindCents);
    m_pending += ", \"seats\": ";
    AppendInt(m_pending, hand.seats);
    m_pending += ", \"pot_cents\": ";
    AppendInt(m_pending, hand.potCents);
    m_pending += ", \"rake_cents\": ";
    AppendInt(m_pending, hand.rakeCents);
    m_pending += ", \"hero_dealt\": ";
    m_pending += hand.heroDealt ? "true" : "false";
    m_pending += ", \"hero_invested_cents\": ";
    AppendInt(m_pending, hand.heroInvestedCents);
    m_pending += ", \"vpp_cents\": ";
    AppendInt(m_pending, hand.vppCents);
    m_pending += '}';
    ++m_hands;
    m_vppCents += hand.vppCents;
}

std::string TruthJson::TakePending()
{
    std::string taken;
    taken.swap(m_pending);
    return taken;
}

std::string TruthJson::Closing() const
{
    std::string text = "\n],\n\"total\": {\"hands\": ";
    AppendInt(text, m_hands);
    text += ", \"vpp_cents\": ";
    AppendInt(text, m_vppCents);
    text += "}\n}\n";
    return text;
}

} // namespace zellwick::genhands
