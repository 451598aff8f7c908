#pragma once

#include "tally/tallystore.h"
#include "tally/tallytable.h"

#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace velmora {

// The tally window: the own totals, the selected opponent's record, the
// players of the current game (tick one to start tallying him) and the
// tallied players (untick one to forget him). It owns the tally and keeps
// its file up to date: after every recorded game, every change made here,
// and at exit. Closing only hides it.
class Ttallylist : public QWidget
{
    Q_OBJECT
public:
    // Asks a yes/no question; the window's confirmations go through it so
    // tests need no modal box.
    using Confirm = std::function<bool(const QString &question)>;

    explicit Ttallylist(const QString &path, QWidget *parent = nullptr);

    void setConfirm(Confirm confirm) { m_confirm = std::move(confirm); }

    // Reads the tally file. Returns the message for the general error
    // display when it could not be read whole (the file is then kept aside).
    QString load();
    bool save() const;

    const TallyTable &table() const { return m_table; }

    // From the game window.
    void loadchecklist(const QStringList &atTable);
    void addgame(const QString &winner, const QStringList &atTable);
    void addmoney(int amount, int column);

    // The user's actions (also the widgets' handlers).
    void checklistClickCheck(int row, bool ticked);
    void listbox_tallyClick(int row);
    void listbox_tallyClickCheck(int row, bool ticked);
    void button_resetClick();

    QLabel *label(const QString &name) const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void loadtally();
    void showOwn(int column, const QString &text);
    void showSelected();
    void fillTallied();

    TallyTable m_table;
    TallyStore m_store;
    Confirm m_confirm;
    QListWidget *m_checklist = nullptr;
    QListWidget *m_tallied = nullptr;
    bool m_filling = false;
};

} // namespace velmora
