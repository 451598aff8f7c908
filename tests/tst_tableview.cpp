// The table's widgets redrawn piece by piece, message after message, look
// exactly like a table drawn whole from the same state.

#include "enginerecorder.h"
#include "base/version.h"
#include "cards/random.h"
#include "client/clientsession.h"
#include "client/tablemodel.h"
#include "host/hostengine.h"
#include "protocol/messages.h"
#include "table/tableview.h"
#include "table/boardpanel.h"

#include <QLabel>
#include <QTest>

using namespace velmora;

namespace {

using Recorder = velmora::EngineRecorder;
constexpr auto request = &velmora::EngineRecorder::request;

// What seat 2's player receives over a two-round game in which the computer
// plays every seat: its login turns the table, its own hand is dealt,
// played and maybe swapped for the dummy hand, pots are paid, another player
// leaves, and the game ends with a winner.
QList<QByteArray> recordedGame()
{
    Recorder out(2);
    Random random(11);
    HostEngine engine(out, random);
    for (const QByteArray name : {"Host", "Me", "Cy"}) {
        const int slot = engine.acceptSlot();
        engine.connected(slot);
        engine.handle(slot, request(wire::loginInfo(slot, VersionText, name)));
    }
    engine.handle(1, request(wire::startGameRequest("Host", 100, "2", true)));
    for (int seat = 1; seat <= 3; ++seat)
        engine.handle(1, request(wire::justWatch(seat, 1)));
    bool left = false;
    while (engine.table().game().inProgress) {
        if (!left && engine.table().game().round == 2) {
            engine.closed(3);
            left = true;
        }
        if (!out.fireTimer(engine))
            break;
    }
    return out.to(2);
}

QImage shot(QWidget &board)
{
    return board.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Where the seats' and the hand's widgets answer by name, and what they
// show.
QStringList namedWidgets(QWidget &board)
{
    QStringList found;
    for (int slot = 1; slot <= TableModel::HandPositions; ++slot)
        if (auto *card = board.findChild<QLabel *>(QStringLiteral("card%1").arg(slot)))
            found << QStringLiteral("card%1 at %2").arg(slot).arg(card->x());
    for (const char *kind :
         {"label_playername", "label_score", "label_left", "image_eyes", "image_turn",
          "image_dealer", "image_last", "image_one", "image_five", "image_ten"})
        for (int seat = 1; seat <= 4; ++seat) {
            const QString name = QLatin1String(kind) + QString::number(seat);
            auto *label = board.findChild<QLabel *>(name);
            found << (label ? QStringLiteral("%1 at %2,%3 %4 %5")
                                  .arg(name)
                                  .arg(label->x())
                                  .arg(label->y())
                                  .arg(label->isVisibleTo(&board))
                                  .arg(label->text())
                            : name + QStringLiteral(" missing"));
        }
    return found;
}

} // namespace

class TestTableView : public QObject
{
    Q_OBJECT
private slots:
    void redrawnPiecesLookLikeTheWhole()
    {
        const QList<QByteArray> game = recordedGame();
        QVERIFY(game.size() > 100);
        QVERIFY(game.last().startsWith("CMD_winner+"));

        ClientSession session;
        Random random(5);
        TableModel model(random);
        session.setTable(&model);
        model.setHosting(true);
        BoardPanel board;
        TableView view(model, &board);
        board.show();
        QVERIFY(QTest::qWaitForWindowExposed(&board));

        int step = 0;
        for (const QByteArray &message : game) {
            ++step;
            session.receive(message);
            session.dispatchOne();

            BoardPanel whole;
            TableView fresh(model, &whole);
            whole.show();
            const QImage expected = shot(whole);
            const QImage actual = shot(board);
            if (actual != expected) {
                const QString folder = qEnvironmentVariable("VELMORA_SHOTS");
                if (!folder.isEmpty()) {
                    actual.save(folder + QStringLiteral("/redrawn.png"));
                    expected.save(folder + QStringLiteral("/whole.png"));
                }
                QFAIL(qPrintable(QStringLiteral("after message %1 (%2) the board differs")
                                     .arg(step)
                                     .arg(QString::fromLatin1(message.left(40)))));
            }
            QCOMPARE(namedWidgets(board), namedWidgets(whole));
        }
        QVERIFY(model.winnerShown());
        QCOMPARE(model.positionOf(2), 1); // the table was turned
    }
};

QTEST_MAIN(TestTableView)
#include "tst_tableview.moc"
