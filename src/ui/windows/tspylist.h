#pragma once

#include "common/playermenu.h"

#include <QString>
#include <QWidget>

#include <vector>

class QAction;
class QListWidget;
class QMenu;

namespace velmora {

// The watchers list: one line "number: name" per watcher in order of
// arrival, kept up to date while hidden so it is current whenever shown. On
// the hosting copy its context menu throws the watcher under the pointer out
// of the game. Watchers are keyed by their player number, so two watchers of
// one name stay apart. Closing only hides it.
class Tspylist : public QWidget
{
    Q_OBJECT
public:
    explicit Tspylist(QWidget *parent = nullptr);

    // From the game window, as the host announces arrivals and departures.
    // A number already listed is replaced, so a missed departure cannot
    // leave a stale line behind.
    void add(int number, const QString &name);
    void remove(int number);
    void clear();

    // Only the hosting copy can close connections.
    void setHosting(bool hosting);
    bool hosting() const { return m_hosting; }
    // Items of the window's own below "Remove From Game".
    void setPlayerMenu(PlayerMenu items) { m_playerMenu = std::move(items); }

signals:
    // "Remove From Game" on a watcher's line: the receiver asks the host in
    // this program to close that connection.
    void removeRequested(int number);

private:
    struct Watcher
    {
        int number = 0;
        QString name;
    };

    void listbox_spysContextMenu(const QPoint &pos);
    void popup_kickhimClick();
    void button_doneClick() { hide(); }

    std::vector<Watcher> m_watchers;
    QListWidget *m_list = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_kick = nullptr;
    PlayerMenu m_playerMenu;
    int m_rowAtMenu = -1;
    bool m_hosting = false;
};

} // namespace velmora
