#pragma once

#include <QPixmap>
#include <QWidget>

namespace velmora {

// The board that everything of the game window lies on (789 by 500): the
// table picture at the top left, the hand strip below it and the chat column
// to the right. The seats, cards and pots are placed on it by the table.
class BoardPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize BoardSize{789, 500};
    static constexpr QRect TableRect{0, 0, 548, 392};
    static constexpr QRect HandRect{0, 392, 548, 100};

    explicit BoardPanel(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Opaque
    {
        qint64 key = 0; // the picture's that the copy was made of
        QPixmap pixmap;
    };
    static const QPixmap &withoutAlpha(const QPixmap &art, Opaque &copy);

    Opaque m_opaqueTable;
    Opaque m_opaqueHand;
};

} // namespace velmora
