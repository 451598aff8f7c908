#pragma once

// The client as tests drive it: its table without a window or socket, fed
// the host's messages by hand.

#include "cards/random.h"
#include "client/clientsession.h"
#include "client/tableannouncer.h"
#include "client/tablemodel.h"
#include "protocol/command.h"
#include "protocol/fieldreader.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTest>

// A session logged in as player `own` (0: not logged in) under the name
// "Me", its table and the table's announcer, wired as in the window. The
// lines and sounds the announcer gives and the requests the table sends are
// recorded.
struct ClientFixture
{
    velmora::ClientSession session;
    velmora::Random random{3};
    velmora::TableModel model{random};
    velmora::TableAnnouncer announcer{model};
    QStringList lines;
    QStringList sounds;
    QList<QByteArray> requests;

    explicit ClientFixture(int own = 1)
    {
        using namespace velmora;
        QObject::connect(&announcer, &TableAnnouncer::chatLine,
                         [this](int, const QString &t, ColourValue) { lines << t; });
        QObject::connect(&announcer, &TableAnnouncer::sound,
                         [this](const QString &s) { sounds << s; });
        QObject::connect(&model, &TableModel::request,
                         [this](const QByteArray &r) { requests << r; });
        session.setTable(&model);
        session.setLoginName("Me");
        if (own > 0)
            session.handle("CMD_sendlogininfo+" + QByteArray::number(own));
    }
    // The host announces this copy at its place, which turns the table.
    void arrive() { host("CMD_newplayerinfo+" + QByteArray::number(session.ownPlayer()) + "+Me"); }
    // Feeds one of the table's messages straight to the table.
    void host(const QByteArray &message)
    {
        const velmora::SplitMessage split = velmora::splitMessage(message);
        QVERIFY2(split.cmd, message.constData());
        velmora::FieldReader fields(split.rest);
        QVERIFY2(model.handle(*split.cmd, fields), message.constData());
    }
    QList<int> handCards() const
    {
        return cards([](int) { return true; });
    }
    QList<int> raisedCards() const
    {
        return cards([this](int p) { return model.raised(p); });
    }

private:
    template <typename Keep>
    QList<int> cards(Keep keep) const
    {
        QList<int> found;
        for (int p = 1; p <= velmora::TableModel::HandPositions; ++p)
            if (model.hand(p).handSlot != -1 && keep(p))
                found << model.hand(p).card;
        return found;
    }
};
