#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QRectF>
#include <QString>

class QPainter;

namespace zq {

// A font for printed documents, its size in the painter's units (tenths of a millimetre); a face that has
// Chinese characters is preferred.
QFont reportFont(double size, bool bold = false);

// Draws one line of text in rect, vertically centred and aligned left, right or centred (alignment's
// horizontal part). A text wider than the rect is squeezed to fit, never cut: nothing printed is lost.
void drawCellText(QPainter& p, const QRectF& rect, const QString& text, Qt::Alignment alignment);

// The same for many cells in one font, keeping the font's metrics between cells.
class CellWriter {
public:
    CellWriter(QPainter& p, const QFont& font);
    void setFont(const QFont& font);
    void draw(const QRectF& rect, const QString& text, Qt::Alignment alignment);

private:
    QPainter& m_p;
    QFont m_font;
    QFontMetricsF m_metrics;
};

} // namespace zq
