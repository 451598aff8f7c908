// The two contents that savehelper writes in turn, shared with the test that
// kills it, so both sides agree on what a whole file holds.

#pragma once

#include "client/options.h"
#include "settings/settings.h"
#include "tally/tallystore.h"
#include "tally/tallytable.h"

#include <QFile>

#include <memory>

namespace velmora::savetest {

// A tally of some hundred opponents, so that a save takes long enough to be
// caught in the middle; the two variants differ in every number.
inline TallyTable tallyVariant(int variant)
{
    TallyGrid grid;
    grid.rows.append(QStringList{
        QStringLiteral("0"), QString::number(500 + variant), QString::number(130 - variant),
        QString::number(-845 * (variant + 1)), QStringLiteral("0"), QStringLiteral("0"),
        QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    for (int i = 0; i < 400; ++i) {
        QStringList row{QStringLiteral("Opponent %1").arg(i)};
        for (int c = 1; c < 9; ++c)
            row.append(QString::number(c < 5 ? (i * 7 + c * 13 + variant * 101) % 997 : 0));
        grid.rows.append(row);
    }
    TallyTable table;
    table.loadtally(grid);
    return table;
}

inline bool saveTally(const QString &path, int variant)
{
    return TallyStore(path).save(tallyVariant(variant));
}

// The settings file is shared with the lobby program: a long section of its
// own comes first and must survive every save byte for byte.
inline QByteArray settingsSeed()
{
    QByteArray seed = "[pelolobby]\r\n";
    for (int i = 0; i < 400; ++i)
        seed += "Friend" + QByteArray::number(i) + "=someone with a long name " +
                QByteArray::number(i * i) + "\r\n";
    seed += "[velmora]\r\nTextsize=8\r\n";
    return seed;
}

inline void setOptions(Options &o, int variant)
{
    const bool a = variant == 0;
    o.setTextSize(a ? 9 : 14);
    o.setWindowPlace(a ? QRect(10, 20, 800, 600) : QRect(300, 200, 1024, 768));
    o.setTurnSoundNew(a);
    o.setChatterSounds(!a);
    o.setChatColour(a ? 0x0000FF : 0x123456);
    o.setPlaySounds(a);
    o.setBotSpeed(a ? Options::BotSpeed::Fast : Options::BotSpeed::Slow);
    o.setRoundsText(a ? QStringLiteral("8") : QStringLiteral("24"));
    o.setDummy(a ? 0 : 1);
}

// Writes every option of the variant with one save, as the game does when
// the player changes one.
class SettingsSaver
{
public:
    explicit SettingsSaver(const QString &path)
    {
        for (int v = 0; v < 2; ++v) {
            setOptions(m_options[v], v);
            // Attached after the values are set: setting them saves nothing.
            m_settings[v] = std::make_unique<Settings>(m_options[v], path);
            QObject::connect(m_settings[v].get(), &Settings::error, [this] { m_failed = true; });
        }
    }
    bool save(int variant)
    {
        m_failed = false;
        m_settings[variant]->saveinifile();
        return !m_failed;
    }

private:
    Options m_options[2];
    std::unique_ptr<Settings> m_settings[2];
    bool m_failed = false;
};

} // namespace velmora::savetest
