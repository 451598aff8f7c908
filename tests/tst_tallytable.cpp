// The tally's bookkeeping and its file, as the game window drives them.

#include "base/error.h"
#include "tally/tallycodec.h"
#include "tally/tallystore.h"
#include "tally/tallytable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {
QStringList row(const TallyTable &t, int r)
{
    QStringList cells;
    for (int c = 0; c < TallyTable::Columns; ++c)
        cells << t.cell(c, r);
    return cells;
}
QStringList cells(const char *text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); }
} // namespace

class TestTallyTable : public QObject
{
    Q_OBJECT
private slots:
    void startsAsOneRowOfZeros()
    {
        TallyTable t;
        QCOMPARE(t.rowCount(), 1);
        QCOMPARE(row(t, 0), cells("0 0 0 0 0 0 0 0 0"));
        QVERIFY(t.tallied().isEmpty());
    }

    void gamesAreCountedForTalliedOpponentsAtTheTable()
    {
        TallyTable t;
        QVERIFY(t.tally(QStringLiteral("Bob")));
        QVERIFY(t.tally(QStringLiteral("Cy")));
        QVERIFY(t.tally(QStringLiteral("Absent")));
        QVERIFY(!t.tally(QStringLiteral("Bob")));
        const QStringList table{QStringLiteral("Bob"), QStringLiteral("Cy"), QStringLiteral("Pip")};

        t.addgame(QLatin1String(TallyTable::Mine), table);
        t.addgame(QStringLiteral("Bob"), table);
        t.addgame(QStringLiteral("Pip"), table); // neither won
        QCOMPARE(row(t, 0), cells("0 3 1 0 0 0 0 0 0"));
        QCOMPARE(row(t, 1), cells("Bob 3 1 1 1 3 1 1 1"));
        QCOMPARE(row(t, 2), cells("Cy 3 0 1 2 3 0 1 2"));
        QCOMPARE(row(t, 3), cells("Absent 0 0 0 0 0 0 0 0"));
    }

    void money()
    {
        TallyTable t;
        t.addgame(QStringLiteral("Pip"), {});
        t.addmoney(88 - 100, 3); // a loss with 88 left
        QCOMPARE(t.cell(3, 0), QStringLiteral("-12"));
        t.addmoney(30, 3);
        QCOMPARE(t.cell(3, 0), QStringLiteral("18"));
    }

    void cellsThatHoldNoNumber()
    {
        TallyGrid g;
        g.rows = {cells("0 x 0 y 0 0 0 0 0")};
        TallyTable t;
        t.loadtally(g);
        t.addmoney(5, 3); // ignored
        QCOMPARE(t.cell(3, 0), QStringLiteral("y"));
        try {
            t.addtomine(1);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QStringLiteral("'x' is not a valid integer value"));
        }
    }

    void removingRowsKeepsTheOrder()
    {
        TallyTable t;
        for (const char *n : {"A", "B", "C"})
            t.tally(QLatin1String(n));
        t.addgame(QStringLiteral("C"), {QStringLiteral("C")});
        t.untally(QStringLiteral("B"));
        QCOMPARE(t.tallied(), (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
        QCOMPARE(row(t, 2), cells("C 1 1 0 0 1 1 0 0"));
        t.untally(QStringLiteral("A"));
        t.untally(QStringLiteral("C"));
        QCOMPARE(t.rowCount(), 1);
        t.moverow(0); // row 0 is never removed
        QCOMPARE(t.rowCount(), 1);
    }

    void aRestartZeroesTheRunColumns()
    {
        TallyTable t;
        t.tally(QStringLiteral("Bob"));
        t.addgame(QStringLiteral("Bob"), {QStringLiteral("Bob")});
        TallyTable next;
        next.loadtally(t.grid());
        QCOMPARE(row(next, 1), cells("Bob 1 1 0 0 0 0 0 0"));
        QCOMPARE(row(next, 0), cells("0 1 0 0 0 0 0 0 0"));
    }

    void storeRoundTripAndReset()
    {
        QTemporaryDir dir;
        TallyStore store(dir.filePath(QStringLiteral("velmoratally.tld")));
        TallyTable t;
        QCOMPARE(store.load(t), QString()); // no file yet: empty tally
        t.tally(QStringLiteral("B+b é"));
        t.addgame(QLatin1String(TallyTable::Mine), {QStringLiteral("B+b é")});
        QVERIFY(store.save(t));
        TallyTable back;
        QCOMPARE(store.load(back), QString());
        QCOMPARE(back.tallied(), QStringList{QStringLiteral("B+b é")});
        QCOMPARE(row(back, 0), row(t, 0));

        // Reset then exit stores one row of "0".
        back.clear();
        QVERIFY(store.save(back));
        QFile f(store.path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const auto text = decompressTallyText(f.readAll(), store.path());
        QVERIFY(text.ok());
        QCOMPARE(text.text, QByteArray("9\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"));
    }

    void aDamagedFileIsKeptAside()
    {
        QTemporaryDir dir;
        TallyStore store(dir.filePath(QStringLiteral("velmoratally.tld")));
        TallyTable t;
        t.tally(QStringLiteral("Bob"));
        QVERIFY(store.save(t));
        QFile f(store.path());
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        bytes.chop(3);
        f.resize(0);
        f.write(bytes);
        f.close();

        TallyTable loaded;
        const QString error = store.load(loaded);
        QVERIFY(!error.isEmpty());
        QVERIFY(error.contains(QStringLiteral("velmoratally.tld.bad")));
        QVERIFY(!QFile::exists(store.path()));
        QFile bad(store.badPath());
        QVERIFY(bad.open(QIODevice::ReadOnly));
        QCOMPARE(bad.readAll(), bytes);
        // Saving now cannot overwrite the damaged original.
        QVERIFY(store.save(loaded));
        QVERIFY(QFile::exists(store.badPath()));
    }
};

QTEST_GUILESS_MAIN(TestTallyTable)
#include "tst_tallytable.moc"
