#pragma once

// Cards, dealing and the showdown: who wins, and the words the client uses for the hand.

#include <cstdint>
#include <string>

namespace zellwick::genhands {

class Prng;

// rank * 4 + suit; rank 0 is the deuce, 12 the ace.
using Card = std::uint8_t;

void AppendCard(std::string& out, Card card);
// "[Ah Kd 7c]"
void AppendBracketed(std::string& out, const Card* cards, int count);

// A shuffled deck that deals from the top.
class Deck
{
public:
    explicit Deck(Prng& random);
    Card Deal() { return m_cards[m_next++]; }

private:
    Card m_cards[52];
    int m_next = 0;
};

// The best five of seven cards as one number: a higher number is a better hand, equal numbers
// split the pot.
std::uint32_t EvaluateSeven(const Card* cards);

// "a pair of Aces", "two pair, Kings and Sevens", "a straight, Six to Ten", ...
void AppendHandName(std::string& out, std::uint32_t value);

} // namespace zellwick::genhands
