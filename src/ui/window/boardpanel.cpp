#include "boardpanel.h"

#include "art/tableart.h"

#include <QPainter>

namespace velmora {

BoardPanel::BoardPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("panel_board"));
    setFixedSize(BoardSize);
}

void BoardPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(TableRect.topLeft(), TableArt::tableBackground(TableRect.size()));
    p.drawPixmap(HandRect.topLeft(), TableArt::handStrip());
}

} // namespace velmora
