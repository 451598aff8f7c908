#pragma once

#include "chat/chatcomposer.h"
#include "client/options.h"

#include <QObject>
#include <QRect>

#include <array>

class QMenu;
class QToolButton;

namespace velmora {

class ChatEntry;
class ClientSession;

// Everything on the board that the player talks with: the chat entry
// `mychat`, the smiley button and its menu `popup_smilies`, the phrase
// buttons `b_phrase1` … `b_phrase9` with their tooltips, and the
// chatter-sound button `b_phrase10` with its menu `popup_sounds`. The
// widgets only forward to the composer, which decides what is sent; phrases
// and the chat colour are read from the options and follow their changes.
//
// The buttons never take the keyboard focus, so it stays in the entry; the
// entry takes it back whenever the game window is activated.
class ChatControls : public QObject
{
    Q_OBJECT
public:
    static constexpr QRect EntryPlace{553, 470, 176, 22};
    static constexpr QRect SmileyButtonPlace{735, 472, 25, 19};
    static constexpr QRect SoundButtonPlace{763, 472, 25, 19};
    static constexpr int PhraseTop = 35;
    static constexpr std::array<int, ChatComposer::SentPhrases> PhraseLefts{553, 579, 605, 631, 658,
                                                                            684, 710, 736, 762};
    static constexpr QSize ButtonSize{25, 19};
    static constexpr int FirstSmiley = 10;
    static constexpr int LastSmiley = 27;

    ChatControls(QWidget *board, const ClientSession &session, Options &options);

    ChatComposer &composer() { return m_composer; }
    ChatEntry *entry() const { return m_entry; }
    void focusEntry();
    // A key pressed elsewhere that types into the chat: the entry takes the
    // focus and the key, as if it had had the focus all along.
    void typeIntoEntry(int key, Qt::KeyboardModifiers modifiers, const QString &text);

    // Options > "Text Color": the colour chooser, preset to the chat colour.
    void chooseTextColour(QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *addButton(QWidget *board, const QString &name, QRect place,
                           const QPixmap &picture);
    void buildSmileyMenu(QWidget *board);
    void buildSoundMenu(QWidget *board);
    void showMenuAtCorner(QMenu *menu, QToolButton *button);
    void optionChanged(Options::Key key);
    void showPhrases();

    Options &m_options;
    ChatComposer m_composer;
    ChatEntry *m_entry = nullptr;
    // phrase buttons 1..9 and the chatter-sound button 10; index 0 unused
    std::array<QToolButton *, Options::Phrases + 1> m_phraseButtons{};
    QToolButton *m_smileyButton = nullptr;
    QMenu *m_smileys = nullptr;
    QMenu *m_sounds = nullptr;
};

} // namespace velmora
