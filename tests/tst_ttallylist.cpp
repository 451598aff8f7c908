// The tally window: what it shows and what the player's clicks change.

#include "tally/tallycodec.h"
#include "windows/tallychart.h"
#include "windows/ttallylist.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class TestTtallylist : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("velmoratally.tld")); }
    static QString text(Ttallylist &w, const char *name)
    {
        return w.label(QLatin1String(name))->text();
    }

private slots:
    void recordsGamesAndKeepsThemAcrossRuns()
    {
        QStringList questions;
        {
            Tally tally(path());
            Ttallylist w(tally);
            QCOMPARE(tally.load(), QString());
            QCOMPARE(text(w, "mylabel_3"), QStringLiteral("0")); // no file yet: no "$"
            const QStringList table{QStringLiteral("Pip"), QStringLiteral("Bob")};
            tally.setPlayersAtTable(table);
            auto *checklist = w.findChild<QListWidget *>(QStringLiteral("checklist"));
            checklist->item(1)->setCheckState(Qt::Checked); // start tallying Bob
            QCOMPARE(w.table().tallied(), QStringList{QStringLiteral("Bob")});
            tally.addgame(QStringLiteral("Bob"), table);
            tally.addmoney(88 - 100, 3);
            QCOMPARE(text(w, "mylabel_1"), QStringLiteral("1"));
            QCOMPARE(text(w, "mylabel_3"), QStringLiteral("$-12"));
            w.listbox_tallyClick(0);
            QCOMPARE(text(w, "label_hisname"), QStringLiteral("Bob Wins:"));
            QCOMPARE(text(w, "label_hisnametop"), QStringLiteral("Bob's Tally"));
            QCOMPARE(text(w, "label_2"), QStringLiteral("1"));
            QCOMPARE(text(w, "label_6"), QStringLiteral("1"));
        }
        // The game was saved as it was recorded; the session column restarts.
        Tally stored(path());
        Ttallylist again(stored);
        QCOMPARE(stored.load(), QString());
        again.listbox_tallyClick(0);
        QCOMPARE(text(again, "label_1"), QStringLiteral("1"));
        QCOMPARE(text(again, "label_5"), QStringLiteral("0"));
        QCOMPARE(text(again, "mylabel_3"), QStringLiteral("$-12"));
    }

    void confirmations()
    {
        QStringList questions;
        bool answer = false;
        Tally tally(m_dir.filePath(QStringLiteral("other.tld")));
        Ttallylist w(tally);
        w.setConfirm([&](const QString &q) {
            questions << q;
            return answer;
        });
        tally.load();
        tally.setPlayersAtTable({QStringLiteral("Ann"), QStringLiteral("Cy")});
        auto *checklist = w.findChild<QListWidget *>(QStringLiteral("checklist"));
        checklist->item(0)->setCheckState(Qt::Checked);
        checklist->item(1)->setCheckState(Qt::Checked);
        auto *tallied = w.findChild<QListWidget *>(QStringLiteral("listbox_tally"));
        tallied->item(0)->setCheckState(Qt::Unchecked);
        QCOMPARE(questions.last(),
                 QStringLiteral("This will delete Ann's Tally, Are you want to delete it?"));
        QCOMPARE(tallied->count(), 2); // No: the tick comes back
        QCOMPARE(tallied->item(0)->checkState(), Qt::Checked);
        answer = true;
        tallied->item(0)->setCheckState(Qt::Unchecked);
        QCOMPARE(w.table().tallied(), QStringList{QStringLiteral("Cy")});

        answer = false;
        w.button_resetClick();
        QCOMPARE(questions.last(), QStringLiteral("Are you sure you want to reset the Tally?"));
        QCOMPARE(w.table().rowCount(), 2);
        answer = true;
        tally.addmoney(5, 3);
        w.button_resetClick();
        QCOMPARE(w.table().rowCount(), 1);
        QCOMPARE(text(w, "mylabel_3"), QStringLiteral("0")); // no "$" after a reset
        QCOMPARE(tallied->count(), 0);
    }

    // The selection belongs to a player: ticks elsewhere, and others coming
    // and going, leave it with him; the keys move it like a click; once he
    // is deleted the panel no longer shows him.
    void selectionStaysWithThePlayer()
    {
        Tally tally(m_dir.filePath(QStringLiteral("selection.tld")));
        Ttallylist w(tally);
        bool answer = false;
        w.setConfirm([&](const QString &) { return answer; });
        tally.load();
        const QStringList atTable{QStringLiteral("Ann"), QStringLiteral("Bo"),
                                  QStringLiteral("Cy")};
        tally.setPlayersAtTable(atTable);
        auto *checklist = w.findChild<QListWidget *>(QStringLiteral("checklist"));
        auto *tallied = w.findChild<QListWidget *>(QStringLiteral("listbox_tally"));
        checklist->item(0)->setCheckState(Qt::Checked);
        checklist->item(1)->setCheckState(Qt::Checked);
        tally.addgame(QStringLiteral("Bo"), atTable);

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        tallied->setFocus();
        tallied->setCurrentRow(0);
        QTest::keyClick(tallied, Qt::Key_Down);
        QCOMPARE(text(w, "label_hisnametop"), QStringLiteral("Bo's Tally"));
        QCOMPARE(text(w, "label_2"), QStringLiteral("1"));

        const auto selected = [&] {
            return tallied->currentItem() ? tallied->currentItem()->text() : QString();
        };
        checklist->item(2)->setCheckState(Qt::Checked); // Cy joins the tally
        QCOMPARE(selected(), QStringLiteral("Bo"));
        tallied->item(0)->setCheckState(Qt::Unchecked); // No: Ann stays
        QCOMPARE(selected(), QStringLiteral("Bo"));
        answer = true;
        tallied->item(0)->setCheckState(Qt::Unchecked); // Ann goes
        QCOMPARE(selected(), QStringLiteral("Bo"));
        QCOMPARE(text(w, "label_hisnametop"), QStringLiteral("Bo's Tally"));

        tallied->item(0)->setCheckState(Qt::Unchecked); // Bo goes
        QCOMPARE(w.table().tallied(), QStringList{QStringLiteral("Cy")});
        QCOMPARE(text(w, "label_hisnametop"), QString());
        QCOMPARE(text(w, "label_hisname"), QStringLiteral("XX Wins:"));
        QCOMPARE(text(w, "label_1"), QStringLiteral("0"));
        QCOMPARE(text(w, "label_2"), QStringLiteral("0"));
    }

    // A winnings cell that holds no number takes no money: neither the
    // cell, nor the label, nor the file change.
    void moneyIntoACellWithoutANumber()
    {
        const QString file = m_dir.filePath(QStringLiteral("odd.tld"));
        TallyGrid grid;
        grid.rows = {{"0", "3", "1", "x7", "0", "0", "0", "0", "0"}};
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            // Stored by the other method, so a rewrite would show.
            out.write(compressTallyText(writeTallyText(grid), TallyMethod::Lzh));
        }
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray stored = in.readAll();
        in.close();
        Tally tally(file);
        Ttallylist w(tally);
        QCOMPARE(tally.load(), QString());
        QCOMPARE(text(w, "mylabel_3"), QStringLiteral("$x7"));
        tally.addmoney(-12, 3);
        QCOMPARE(w.table().cell(3, 0), QStringLiteral("x7"));
        QCOMPARE(text(w, "mylabel_3"), QStringLiteral("$x7"));
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), stored);
    }

    // The chart's points are the running money against the selected
    // opponent as the file holds it, and follow each new game; the totals
    // beside it are the file's.
    void chartShowsTheRunningMoney()
    {
        const QString file = m_dir.filePath(QStringLiteral("chart.tld"));
        TallyGrid grid;
        grid.columnCount = 10;
        grid.rows = {{"0", "7", "2", "40", "0", "0", "0", "0", "0", ""},
                     {"Bob", "4", "1", "2", "1", "0", "0", "0", "0", "5 -3 x 12"},
                     {"Cy", "3", "1", "1", "1", "0", "0", "0", "0", ""}};
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(compressTallyText(writeTallyText(grid), TallyMethod::Lzh));
        }
        Tally tally(file);
        Ttallylist w(tally);
        QCOMPARE(tally.load(), QString());
        w.listbox_tallyClick(0);
        QCOMPARE(w.chart()->points(), (QList<int>{5, 2, 14}));
        QCOMPARE(text(w, "label_1"), QStringLiteral("4"));
        QCOMPARE(text(w, "mylabel_3"), QStringLiteral("$40"));
        // The highest point is drawn above the lowest, all inside the chart.
        QVERIFY(w.chart()->pointAt(2).y() < w.chart()->pointAt(1).y());
        QVERIFY(w.chart()->rect().contains(w.chart()->pointAt(0).toPoint()));

        tally.addAgainst(QStringLiteral("Bob"), -20);
        tally.addAgainst(QStringLiteral("Zed"), 99); // not tallied: nothing
        QCOMPARE(w.chart()->points(), (QList<int>{5, 2, 14, -6}));
        w.listbox_tallyClick(1);
        QVERIFY(w.chart()->points().isEmpty());

        // Kept across runs, and only the latest games once there are many.
        for (int n = 0; n < TallyTable::HistoryLimit; ++n)
            tally.addAgainst(QStringLiteral("Cy"), 1);
        Tally stored(file);
        QCOMPARE(stored.load(), QString());
        QCOMPARE(stored.table().runningAgainst(1), (QList<int>{5, 2, 14, -6}));
        QCOMPARE(stored.table().runningAgainst(2).size(), TallyTable::HistoryLimit);
        QCOMPARE(stored.table().runningAgainst(2).last(), TallyTable::HistoryLimit);
        QCOMPARE(stored.table().cell(1, 1), QStringLiteral("4"));
    }

    void closingOnlyHides()
    {
        Tally tally(m_dir.filePath(QStringLiteral("third.tld")));
        Ttallylist w(tally);
        w.show();
        QVERIFY(!w.close());
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestTtallylist)
#include "tst_ttallylist.moc"
