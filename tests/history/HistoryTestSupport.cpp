#include "tests/history/HistoryTestSupport.h"

namespace zellwick::test {

std::wstring WidePath(const std::filesystem::path& path)
{
    const std::string& bytes = path.native();
    std::wstring wide;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4 && i + length <= bytes.size());
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3F);
        }
        if (!valid) {
            wide.push_back(static_cast<wchar_t>(0xDC00 + lead));
            ++i;
            continue;
        }
        wide.push_back(static_cast<wchar_t>(value));
        i += length;
    }
    return wide;
}

HandLines SplitLines(std::wstring_view text)
{
    HandLines lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

HandLines Join(const std::vector<HandLines>& parts)
{
    HandLines all;
    for (const HandLines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::wstring CashHeader(std::wstring_view stakes, std::wstring_view handNumber)
{
    return L"PokerStars Hand #" + std::wstring(handNumber) + L":  Hold'em No Limit (" +
           std::wstring(stakes) + L") - 2020/04/19 13:48:09 ET";
}

Totals ParseBlock(const HandLines& lines, const std::wstring& nickname, HistoryLog* log)
{
    Totals totals;
    HandHistoryParser parser(nickname, totals.Refs(), log);
    parser.ParseHandHistory(lines);
    return totals;
}

std::vector<EvaluatedHand> EvaluateBlock(const HandLines& lines, const std::wstring& nickname,
                                         HistoryLog* log)
{
    Totals totals;
    RecordingObserver observer;
    HandHistoryParser parser(nickname, totals.Refs(), log);
    parser.SetObserver(&observer);
    parser.ParseHandHistory(lines);
    return observer.m_hands;
}

} // namespace zellwick::test

namespace zellwick::test {

HandLines StandardHand(const std::wstring& header, const std::wstring& summary)
{
    HandLines hand = SplitLines(L"Table 'Una' 6-max Seat #1 is the button\n"
                                L"Seat 1: Villain ($2 in chips)\n"
                                L"Seat 2: Hero ($2 in chips)\n"
                                L"Villain: posts small blind $0.01\n"
                                L"Hero: posts big blind $0.02\n"
                                L"*** HOLE CARDS ***\n"
                                L"Dealt to Hero [9s 7h]\n"
                                L"Villain: raises $0.04 to $0.06\n"
                                L"Hero: calls $0.04\n"
                                L"*** FLOP *** [8s Qh 8h]\n"
                                L"Hero: checks\n"
                                L"Villain: checks\n"
                                L"*** TURN *** [8s Qh 8h] [3h]\n"
                                L"Hero: checks\n"
                                L"Villain: checks\n"
                                L"*** RIVER *** [8s Qh 8h 3h] [2d]\n"
                                L"Hero: checks\n"
                                L"Villain: checks\n"
                                L"*** SHOW DOWN ***\n"
                                L"Hero: shows [9s 7h] (a pair of Eights)\n"
                                L"Villain: mucks hand\n"
                                L"Hero collected $0.06 from pot\n"
                                L"*** SUMMARY ***");
    hand.insert(hand.begin(), header);
    hand.push_back(summary);
    hand.push_back(L"Board [8s Qh 8h 3h 2d]");
    hand.push_back(L"Seat 2: Hero (big blind) showed [9s 7h] and won ($0.06)");
    return hand;
}

} // namespace zellwick::test
