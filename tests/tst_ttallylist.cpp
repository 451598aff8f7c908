// The tally window: what it shows and what the player's clicks change.

#include "windows/ttallylist.h"

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
            QCOMPARE(text(w, "mylabel_3"), QStringLiteral("$0"));
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
        QCOMPARE(questions.last(), QStringLiteral("This will delete Ann's Tally, Are you want to delete it?"));
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
