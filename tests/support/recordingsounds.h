#pragma once

#include "sound/soundplayer.h"

#include <QList>
#include <QStringList>

// Stands in for the speakers: the sounds asked for, in order, each with the
// volume its channel had at that moment.
class RecordingSounds : public velmora::SoundPlayer
{
public:
    struct Played
    {
        QString name;
        int volume = 0;
    };

    explicit RecordingSounds(QStringList &names, QList<Played> *played = nullptr)
        : m_names(names), m_played(played)
    {
    }
    void playsounds(const QString &name) override
    {
        m_names << name;
        if (m_played)
            m_played->append({name, volume(channelOf(name))});
    }

private:
    QStringList &m_names;
    QList<Played> *m_played;
};
