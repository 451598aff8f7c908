#pragma once

#include "client/options.h"

#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>

namespace velmora {

class ProfileFile;

// The options record's copy in the settings file, section "velmora":
// reads it into the record once the connection is made and writes the
// record back whenever the player changes an option.
//
// Until the file has been read the record holds the design's defaults, not
// the player's choices; a change made then (a sound switched while the
// connection is still being made) writes only its own key, so the stored
// colour, speed, rounds and window place survive it.
//
// The game start choices move with every click of the dialog's spinner;
// they are written when a game is started with them, not at each click.
// Every write reads the file afresh, so what the lobby program wrote in the
// meantime is kept.
class Settings : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultTextSize = 8;

    // `pelolobby.ini` in the folder of the program's files.
    static QString defaultPath();

    Settings(Options &options, QString path, QObject *parent = nullptr);
    ~Settings() override;

    // The zoom stored in the file at `path`, for the start of the program:
    // it must be known before any window exists, long before the file is
    // read as a whole.
    static int storedZoom(const QString &path);

    const QString &path() const { return m_path; }
    bool hasRead() const { return m_read; }

    // Reads the whole section into the options; what is missing or
    // unreadable takes its default. Writes nothing.
    void loadinifile();
    // Reads only the player's name and recent tables, which the windows
    // for hosting and joining need before any connection is made.
    void loadTableChoices();
    // Writes every option but the phrases.
    void saveinifile();
    // Writes the ten phrases.
    void savePhrases();
    // A game was started: its rounds and dummy choice are kept.
    void saveGameStart();

    // Where the window stands now. A save writes that, not the remembered
    // place, which stays what the closing compares against; without a
    // source the remembered place is written.
    void setCurrentPlace(std::function<QRect()> source) { m_currentPlace = std::move(source); }

signals:
    // The file could not be read or written; the text says why.
    void error(const QString &message);

private:
    void optionChanged(Options::Key key);
    void save(std::initializer_list<Options::Key> keys);
    void writeKey(ProfileFile &file, Options::Key key) const;
    void readTableChoices(const ProfileFile &file);

    Options &m_options;
    QString m_path;
    bool m_read = false;
    bool m_loading = false;
    std::function<QRect()> m_currentPlace;
};

} // namespace velmora
