#include "cards/card.h"
#include "cards/deck.h"
#include "cards/pots.h"
#include "protocol/table.h"
#include "cards/random.h"

#include <QTest>

#include <set>

using namespace velmora;

class TestCards : public QObject
{
    Q_OBJECT
private slots:
    void suitsAndRanks_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("suit");
        QTest::addColumn<int>("rank");
        QTest::addColumn<int>("next");
        QTest::newRow("two of clubs") << 1 << 0 << 0 << 2;
        QTest::newRow("jack of clubs") << 10 << 0 << 9 << 11;
        QTest::newRow("ace of clubs") << 13 << 0 << 12 << 0;
        QTest::newRow("two of diamonds") << 14 << 1 << 0 << 15;
        QTest::newRow("ten of diamonds") << 22 << 1 << 8 << 23;
        QTest::newRow("ace of diamonds") << 26 << 1 << 12 << 0;
        QTest::newRow("queen of spades") << 37 << 2 << 10 << 38;
        QTest::newRow("ace of spades") << 39 << 2 << 12 << 0;
        QTest::newRow("two of hearts") << 40 << 3 << 0 << 41;
        QTest::newRow("king of hearts") << 51 << 3 << 11 << 52;
        QTest::newRow("ace of hearts") << 52 << 3 << 12 << 0;
    }
    void suitsAndRanks()
    {
        QFETCH(int, code);
        QFETCH(int, suit);
        QFETCH(int, rank);
        QFETCH(int, next);
        QCOMPARE(int(suitOf(code)), suit);
        QCOMPARE(rankOf(code), rank);
        QCOMPARE(nextInSuit(code), next);
        QCOMPARE(isAce(code), next == 0);
        // The spoken name is the row's name.
        QCOMPARE(QByteArray(cardFullName(code)).toLower(), QByteArray(QTest::currentDataTag()));
    }

    void noFullNameForNoCard()
    {
        for (const int code : {-1, 0, 53})
            QCOMPARE(QByteArray(cardFullName(code)), QByteArray());
    }

    void potRanksAsTheRulesCompareThem()
    {
        // 8, 9 and 10 of any suit are 7, 8 and 9; an ace is 0.
        for (int suit = 0; suit < 4; ++suit) {
            QCOMPARE(potRank(suit * 13 + 7), 7);
            QCOMPARE(potRank(suit * 13 + 8), 8);
            QCOMPARE(potRank(suit * 13 + 9), 9);
            QCOMPARE(potRank(suit * 13 + 13), 0);
        }
    }

    void singleCardPots()
    {
        const std::pair<int, int> expected[] = {{10, 2}, {12, 3}, {19, 4},
                                                {37, 5}, {39, 7}, {22, 9}};
        int winners = 0;
        for (int code = 0; code <= 52; ++code)
            if (singleCardPot(code))
                ++winners;
        QCOMPARE(winners, 6);
        for (auto [card, pot] : expected)
            QCOMPARE(singleCardPot(card), pot);
        QCOMPARE(QByteArray(potAnnouncement(1)), QByteArray(" took the Kitty worth $"));
        QCOMPARE(QByteArray(potAnnouncement(8)),
                 QByteArray(" took the Queen and King of Hearts Pot worth $"));
        QCOMPARE(QByteArray(potName(6)), QByteArray("8-9-10 Matching Suit"));
        QCOMPARE(QByteArray(potName(1)), QByteArray(""));
        QCOMPARE(QByteArray(potName(10)), QByteArray(""));
    }

    void generatorSequence()
    {
        // seed := seed * 134775813 + 1, drawn as the high half of seed * n.
        Random r(12345);
        const std::uint32_t expected[] = {20, 15, 4, 28, 32};
        for (auto e : expected)
            QCOMPARE(r.below(52), e);
        Random zero(0);
        QCOMPARE(zero.below(100), 0u);
        QCOMPARE(zero.seed(), 1u);
        QCOMPARE(zero.below(100), 3u);
        QCOMPARE(zero.below(0), 0u);
    }

    void shuffleIsAPermutationAndReproducible()
    {
        Random a(7), b(7);
        Deck d1, d2;
        for (int round = 0; round < 200; ++round) {
            d1.shuffle(a);
            d2.shuffle(b);
            std::set<int> seen;
            for (int p = 1; p <= 52; ++p) {
                QCOMPARE(d1.at(p), d2.at(p));
                seen.insert(d1.at(p));
            }
            QCOMPARE(int(seen.size()), 52);
            QCOMPARE(*seen.begin(), 1);
            QCOMPARE(*seen.rbegin(), 52);
        }
        QCOMPARE(d1.at(0), NoCard);
        QCOMPARE(d1.at(53), NoCard);
    }

    void shuffleFollowsTheDrawOrder()
    {
        // Card 1 goes to the first drawn position, card 2 to the next free one.
        Random probe(99);
        const int first = int(probe.below(52)) + 1;
        Random r(99);
        Deck d;
        d.shuffle(r);
        QCOMPARE(d.at(first), 1);
    }
};

QTEST_GUILESS_MAIN(TestCards)
#include "tst_cards.moc"
