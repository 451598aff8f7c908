#pragma once

#include <QPixmap>
#include <QSize>

#include <functional>

class QWidget;

namespace velmora {

// Every picture of the table, drawn by the program itself and kept in caches.
//
// Each accessor renders its picture on first use and afterwards returns the
// same pixmap. Pictures are rendered at the device pixel ratio of the
// primary screen (1 without a screen or application), which takes in the
// board's zoom, fractional ones included: a pixmap holds logical size *
// ratio device pixels (rounded up, see deviceSize) and carries the ratio,
// so widgets draw it at its logical size, one pixel to one. One cache is
// kept per ratio and never emptied, so a returned reference stays valid
// for the rest of the run.
//
// Numbers that come from the wire may be passed unchecked: anything out of
// range yields a null pixmap, which draws nothing.
//
// Not thread-safe; use it from the user-interface thread only.
class TableArt
{
public:
    enum class CardSize { Large, Small };
    enum class Chip { One, Five, Ten };

    static constexpr QSize LargeCardSize{52, 72};
    static constexpr QSize SmallCardSize{36, 49};
    static constexpr QSize ChipSize{12, 4};
    static constexpr QSize PotSize{52, 52};
    static constexpr QSize EyesSize{24, 12};
    static constexpr QSize TurnMarkSize{38, 52};
    static constexpr QSize DealerMarkSize{18, 15};
    static constexpr QSize StartButtonSize{157, 42};
    static constexpr QSize HandStripSize{548, 100};
    static constexpr QSize TableSize{548, 392};
    static constexpr QSize OnOffBoxSize{36, 34};
    static constexpr QSize LogoSize{233, 33};
    static constexpr QSize PhraseBubbleSize{21, 15};
    static constexpr int PhraseCount = 9;
    static constexpr int ChipPileCount = 9;

    // Card `code` 1..52 (clubs, diamonds, spades, hearts, each 2..ace);
    // code 0 is the card back, in both sizes.
    static const QPixmap &card(int code, CardSize size = CardSize::Large);

    // One chip seen edge-on, for the seats' chip columns: one, five, ten.
    static const QPixmap &chip(Chip kind);

    // Face of pot 1..9: a dish holding the card or cards that win the pot;
    // the kitty (pot 1) is the empty dish.
    static const QPixmap &potFace(int pot);

    // Pile 0..8 of ante chips, transparent around the chips, drawn over a
    // pot face. The piles differ only for variety.
    static const QPixmap &chipPile(int index);

    // Marks beside a seat: the seat's player just watches; it is the seat's
    // turn; the seat deals this round.
    static const QPixmap &eyes();
    static const QPixmap &turnMark();
    static const QPixmap &dealerMark();

    // The picture button that starts a game, normal or held down.
    static const QPixmap &startButton(bool pressed = false);

    // Background under the own hand, and the table with its tray for the
    // pots. The table is laid out for TableSize and stretched to other sizes.
    static const QPixmap &handStrip();
    static const QPixmap &tableBackground(QSize size = TableSize);

    // The table's plain pattern without the tray, for side windows.
    static const QPixmap &panelBackground(QSize size);
    // Makes that pattern, at the widget's present size, the background of
    // `widget` (which fills its background itself), from when it first
    // shows: side windows are made with the game window, and most never
    // open.
    static void setPanelBackground(QWidget *widget);
    // Runs `render` just before `widget` first shows (as it or its window
    // opens), or at once when it is visible: the pictures of side windows
    // are drawn when a window first opens. (Not at polishing: a window
    // polishes its child windows with itself.)
    static void whenShown(QWidget *widget, std::function<void()> render);

    // The dummy-hands box of the game start dialog, lettered ON or OFF.
    static const QPixmap &onOffBox(bool on);

    // The four-colour deck for the cards and the pot faces that show cards.
    // A change renders those pictures anew on their next use; pixmaps
    // handed out before keep the old colours until asked for again.
    static void setFourColourDeck(bool on);
    static bool fourColourDeck();

    // Ratio used for new renderings; the override is for tests and for a
    // window moved to a screen with another ratio (0 returns to the primary
    // screen's ratio).
    static qreal devicePixelRatio();
    static void setDevicePixelRatio(qreal ratio);
    // The pixels of a picture of `logical` size at `ratio`. Every picture
    // the program paints for itself is made this size, with the ratio set.
    static QSize deviceSize(QSize logical, qreal ratio);
    // An empty (transparent) picture of `logical` size at the present ratio,
    // to paint on in logical coordinates.
    static QPixmap canvas(QSize logical);

    // The program's name lettered on a green plate, for the board's corner.
    static const QPixmap &logo();

    // A phrase button's picture: a speech bubble with the button's number,
    // 1..PhraseCount.
    static const QPixmap &phraseBubble(int number);

    // Starts drawing the pictures of the table's first frame (the phrase
    // bubbles, the pot faces, the table, the hand strip, the logo) at the
    // present ratio on a thread of their own, while the window is being
    // built; their accessors take them over from there, waiting for the
    // thread if need be. For the start of the program: call once the
    // application object exists, and ask for one of them before it goes
    // (the thread draws with the application's fonts); the table view does
    // as it is made.
    static void drawAhead();

    // Renders every fixed-size picture now, so the first game does not pay
    // for it.
    static void preload();
};

} // namespace velmora
