#pragma once

#include "tally/tally.h"

#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace velmora {

class TallyChart;

// The tally window: the own totals, the selected opponent's record, the
// players of the current game (tick one to start tallying him) and the
// tallied players (untick one to forget him). It shows the tally and edits
// it through the Tally, which keeps the file. Closing only hides it.
class Ttallylist : public QWidget
{
    Q_OBJECT
public:
    // Asks a yes/no question; the window's confirmations go through it so
    // tests need no modal box.
    using Confirm = std::function<bool(const QString &question)>;

    explicit Ttallylist(Tally &tally, QWidget *parent = nullptr);

    void setConfirm(Confirm confirm) { m_confirm = std::move(confirm); }

    const TallyTable &table() const { return m_tally.table(); }

    // The user's actions (also the widgets' handlers).
    void checklistClickCheck(int row, bool ticked);
    void listbox_tallyClick(int row);
    void listbox_tallyClickCheck(int row, bool ticked);
    void button_resetClick();

    QLabel *label(const QString &name) const;
    // The selected opponent's money game by game.
    TallyChart *chart() const { return m_chart; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Redraws everything from the tally.
    void loadtally();
    void loadchecklist();
    void showOwn(int column, const QString &text);
    void showSelected();
    // Back to "XX Wins:" and noughts, as before anybody was selected.
    void clearSelected();
    void fillTallied();

    Tally &m_tally;
    Confirm m_confirm;
    QListWidget *m_checklist = nullptr;
    QListWidget *m_tallied = nullptr;
    TallyChart *m_chart = nullptr;
    bool m_filling = false;
    // The opponent the middle panel shows, if any.
    QString m_shown;
};

} // namespace velmora
