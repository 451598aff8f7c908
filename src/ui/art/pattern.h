#pragma once

#include <QRectF>

class QPainter;

namespace velmora::pattern {

// The cream ground with its diagonal lattice of fine lines, behind the table,
// the hand strip and the side windows. Fills `area`.
void paint(QPainter &p, const QRectF &area);

// The same, drawn line by line (the lines run on past the area's sides):
// on a whole picture, what paint() must match pixel for pixel.
void paintLines(QPainter &p, const QRectF &area);

} // namespace velmora::pattern
