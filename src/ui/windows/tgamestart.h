#pragma once

#include <QByteArray>
#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;

namespace velmora {

// The hosting player's game options: rounds per game (4..24 by a spinner
// stepping 4) and whether the dummy hand is in play. The rounds are kept as
// the text shown, so a stored value such as "10" is sent exactly as it
// reads. Created once and only shown and hidden, so the choices stay for the
// next game of the run.
class Tgamestart : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MinRounds = 4;
    static constexpr int MaxRounds = 24;
    static constexpr int RoundsStep = 4;

    explicit Tgamestart(QWidget *parent = nullptr);

    QString roundsText() const;
    int spinnerPosition() const { return m_position; }
    int dummyFlag() const { return m_dummy; }

    // Presets from the settings: the spinner takes the number, the box the
    // text itself.
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
    // The start request's choices; the receiver sends it and saves the
    // options.
    void startRequested(const QByteArray &rounds, int dummy);

private:
    void setPosition(int position);

    QLineEdit *m_rounds = nullptr;
    QLabel *m_box = nullptr;
    QLabel *m_start = nullptr;
    int m_position = 16;
    int m_dummy = 1;
};

} // namespace velmora
