#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using zellwick::test::CashHeader;
using zellwick::test::RecordingLog;

namespace {

struct Header
{
    bool bRecognised = false;
    int nBigBlindCents = -7;
    int nCurrency = -1;
};

Header Read(const std::wstring& line, HistoryLog* log = nullptr)
{
    Header header;
    header.bRecognised = GetTypeTable(HandLines{line, L"Table 'Una' 9-max Seat #7 is the button"},
                                      header.nBigBlindCents, header.nCurrency, log);
    return header;
}

const std::wstring kSecondTime =
    L"PokerStars Hand #44546765419:  Hold'em No Limit ($0.01/$0.02 USD) - "
    L"2010/05/06 22:46:48 WET [2010/05/06 17:46:48 ET]";

TEST(Header, GivesCurrencyCodeAndBigBlindInHundredths)
{
    const Header dollars = Read(CashHeader(L"$0.01/$0.02 USD"));
    EXPECT_TRUE(dollars.bRecognised);
    EXPECT_EQ(dollars.nCurrency, 0);
    EXPECT_EQ(dollars.nBigBlindCents, 2);
    const Header euros = Read(CashHeader(L"\u20AC0.01/\u20AC0.02 EUR"));
    EXPECT_EQ(euros.nCurrency, 1);
    EXPECT_EQ(euros.nBigBlindCents, 2);
    const Header pounds = Read(CashHeader(L"\u00A30.01/\u00A30.02 GBP"));
    EXPECT_EQ(pounds.nCurrency, 2);
    EXPECT_EQ(pounds.nBigBlindCents, 2);
}

TEST(Header, ReadsBigBlindsOfEveryWrittenForm)
{
    EXPECT_EQ(Read(CashHeader(L"$0.02/$0.05 USD")).nBigBlindCents, 5);
    EXPECT_EQ(Read(CashHeader(L"$0.05/$0.10 USD")).nBigBlindCents, 10);
    EXPECT_EQ(Read(CashHeader(L"$1/$2 USD")).nBigBlindCents, 200);
    EXPECT_EQ(Read(CashHeader(L"$100/$200 USD")).nBigBlindCents, 20000);
    EXPECT_EQ(Read(CashHeader(L"$0.25/$0.50 - $10 Cap -  USD")).nBigBlindCents, 50);
    EXPECT_EQ(Read(CashHeader(L"$0.01/$0.02")).nBigBlindCents, 2); // fast-fold: no code
}

TEST(Header, TruncatesTheProductBelowAWholeNumber)
{
    // 0.29 * 100 is 28.999999999999996 in double precision.
    EXPECT_EQ(Read(CashHeader(L"$0.14/$0.29 USD")).nBigBlindCents, 28);
    EXPECT_EQ(Read(CashHeader(L"$0.28/$0.57 USD")).nBigBlindCents, 56);
}

TEST(Header, RecognisesBothFormsAndFastFoldTables)
{
    EXPECT_TRUE(Read(kSecondTime).bRecognised);
    EXPECT_TRUE(Read(L"\uFEFF" + kSecondTime).bRecognised);
    EXPECT_TRUE(Read(L"PokerStars Zoom Hand #212330790621:  Hold'em No Limit ($0.01/$0.02) - "
                     L"2020/04/19 13:48:43 ET")
                    .bRecognised);
    EXPECT_TRUE(Read(L"PokerStars Hand #1: Omaha Pot Limit ($0.01/$0.02 USD) - "
                     L"2020/04/19 1:48:43 CET [2020/04/18 19:48:43 ET]")
                    .bRecognised);
}

TEST(Header, AnythingAfterTheTimeZoneIsNotRecognised)
{
    RecordingLog log;
    const Header afterZone = Read(CashHeader() + L" extra", &log);
    EXPECT_FALSE(afterZone.bRecognised);
    EXPECT_EQ(afterZone.nCurrency, 0);
    EXPECT_EQ(afterZone.nBigBlindCents, -7); // left as it was
    EXPECT_FALSE(Read(kSecondTime + L"!").bRecognised);
    EXPECT_FALSE(Read(L"PokerStars Game #27738502010: Hold'em No Limit ($0.05/$0.10 USD) - "
                      L"2009/05/05 9:00:22 ET")
                     .bRecognised);
    EXPECT_FALSE(Read(L"PokerStars Hand #1: Tournament #2, $0.98+$0.02 USD Hold'em No Limit - "
                      L"Level I (10/20) - 2020/04/19 13:48:09 ET")
                     .bRecognised);
}

TEST(Header, AnUnrecognisedHeaderIsWrittenRawToTheLog)
{
    RecordingLog log;
    const std::wstring header = L"Seat 1: Hero ($2 in chips)";
    Read(header, &log);
    ASSERT_EQ(log.m_rawWrites.size(), 3u);
    EXPECT_EQ(log.m_rawWrites[0], L"GetTypeTable unrecognized string: <");
    EXPECT_EQ(log.m_rawWrites[1], header);
    EXPECT_EQ(log.m_rawWrites[2], L">\n");
    EXPECT_TRUE(log.m_lines.empty());

    RecordingLog quiet;
    Read(CashHeader(), &quiet);
    EXPECT_TRUE(quiet.m_rawWrites.empty());
    Read(header, nullptr); // no log: nothing to write to, and no crash
}

TEST(Header, HeadersCutShortAreRecognisedOnlyWhenAWholeFormRemains)
{
    // Cut inside the first time-zone word, what is left is a header without the bracket.
    const std::wstring& header = kSecondTime;
    const std::size_t zoneStart = header.find(L" WET") + 1;
    const std::size_t bracket = header.find(L" [");
    for (std::size_t length = 0; length < header.size(); ++length) {
        const bool expected = length > zoneStart && length <= bracket;
        EXPECT_EQ(Read(header.substr(0, length)).bRecognised, expected) << length;
    }
    int bigBlind = 3;
    int currency = -1;
    EXPECT_FALSE(GetTypeTable(HandLines{}, bigBlind, currency, nullptr));
    EXPECT_EQ(currency, 0);
    EXPECT_EQ(bigBlind, 3);
}

TEST(Header, EnormousBigBlindsStayWithinTheIntRange)
{
    EXPECT_EQ(Read(CashHeader(L"$1/$99999999999 USD")).nBigBlindCents,
              std::numeric_limits<int>::max());
    // So many digits that the amount reads as infinity: nothing sensible, so 0.
    EXPECT_EQ(Read(CashHeader(L"$1/$" + std::wstring(400, L'9') + L" USD")).nBigBlindCents, 0);
}

} // namespace
