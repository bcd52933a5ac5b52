#pragma once

#include <string>

namespace zellwick::test {

// One complete cash hand as the client writes it, numbered as asked: the hero posts the big
// blind, calls a raise and checks down. Pot $0.12, rake $0.06, a 6-max table at
// $0.01/$0.02, so the hero earns 30 hundredths of a point.
std::string SampleCashHand(long long handNumber);

} // namespace zellwick::test
