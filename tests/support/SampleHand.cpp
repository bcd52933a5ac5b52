#include "tests/support/SampleHand.h"

namespace zellwick::test {

std::string SampleCashHand(long long handNumber)
{
    return "PokerStars Hand #" + std::to_string(handNumber) +
           ":  Hold'em No Limit ($0.01/$0.02 USD) - 2020/04/19 13:48:09 ET\n"
           "Table 'Una' 6-max Seat #1 is the button\n"
           "Seat 1: Villain ($2 in chips)\n"
           "Seat 2: Hero ($2 in chips)\n"
           "Villain: posts small blind $0.01\n"
           "Hero: posts big blind $0.02\n"
           "*** HOLE CARDS ***\n"
           "Dealt to Hero [9s 7h]\n"
           "Villain: raises $0.04 to $0.06\n"
           "Hero: calls $0.04\n"
           "*** FLOP *** [8s Qh 8h]\n"
           "Hero: checks\n"
           "Villain: checks\n"
           "*** TURN *** [8s Qh 8h] [3h]\n"
           "Hero: checks\n"
           "Villain: checks\n"
           "*** RIVER *** [8s Qh 8h 3h] [2d]\n"
           "Hero: checks\n"
           "Villain: checks\n"
           "*** SHOW DOWN ***\n"
           "Hero: shows [9s 7h] (a pair of Eights)\n"
           "Villain: mucks hand\n"
           "Hero collected $0.06 from pot\n"
           "*** SUMMARY ***\n"
           "Total pot $0.12 | Rake $0.06\n"
           "Board [8s Qh 8h 3h 2d]\n"
           "Seat 2: Hero (big blind) showed [9s 7h] and won ($0.06)\n"
           "\n\n\n";
}

} // namespace zellwick::test
