#pragma once

#include "client/options.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;

namespace velmora {

// The hosting player's game options: rounds per game (4..24 by a spinner
// stepping 4) and whether the dummy hand is in play. Both live in the
// options record; the dialog shows them and changes them there. The rounds
// are the text shown, so a stored value such as "10" is sent exactly as it
// reads. Created once and only shown and hidden.
class Tgamestart : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MinRounds = 4;
    static constexpr int MaxRounds = 24;
    static constexpr int RoundsStep = 4;

    explicit Tgamestart(Options &options, QWidget *parent = nullptr);

    const QString &roundsText() const;
    int spinnerPosition() const { return m_position; }
    int dummyFlag() const;

    // Presets the rounds: a number also moves the spinner (within 4..24);
    // the box shows the text itself.
    void setRounds(const QString &text);
    // Sets a box option by its control's name ("box_dummy" is the only one).
    void changebox(const QString &name, int value);

    // The spinner's arrows.
    void stepUp();
    void stepDown();
    void box_dummyClick();
    // The start picture: asks for the game, then hides.
    void button_startClick();

signals:
    // The player starts a game with the options as they stand: the rounds
    // text and the dummy-hands flag.
    void startRequested(const QByteArray &rounds, int dummy);

protected:
    void showEvent(QShowEvent *event) override;
    // Up and Down move the spinner, wherever the focus is in the dialog.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void optionChanged(Options::Key key);

    Options &m_options;
    QLineEdit *m_rounds = nullptr;
    QLabel *m_box = nullptr;
    QLabel *m_start = nullptr;
    int m_position = 16;
};

} // namespace velmora
