#include "ReportPainting.h"

#include <QPainter>

namespace zq {

QFont reportFont(double size, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Serif CJK SC")});
    font.setPixelSize(qRound(size));
    font.setBold(bold);
    // Printed sizes must not depend on the screen's hinting.
    font.setHintingPreference(QFont::PreferNoHinting);
    // Glyphs straight from the character map: a PDF names every glyph's character only for those, so text
    // copied or searched in the file stays whole (shaping gives "CODE123456" digits without a name). It is
    // also much faster, and Chinese and the figures of a form need no shaping.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

CellWriter::CellWriter(QPainter& p, const QFont& font) : m_p(p), m_font(font), m_metrics(font)
{
    m_p.setFont(m_font);
}

void CellWriter::setFont(const QFont& font)
{
    m_font = font;
    m_metrics = QFontMetricsF(font);
    m_p.setFont(m_font);
}

void CellWriter::draw(const QRectF& rect, const QString& text, Qt::Alignment alignment)
{
    const double width = m_metrics.horizontalAdvance(text);
    const double baseline = rect.top() + (rect.height() + m_metrics.ascent() - m_metrics.descent()) / 2;
    if (width > rect.width()) {
        m_p.save();
        m_p.translate(rect.left(), baseline);
        m_p.scale(rect.width() / width, 1);
        m_p.drawText(QPointF(0, 0), text);
        m_p.restore();
        return;
    }
    double x = rect.left();
    if (alignment & Qt::AlignRight)
        x = rect.right() - width;
    else if (alignment & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - width) / 2;
    m_p.drawText(QPointF(x, baseline), text);
}

void drawCellText(QPainter& p, const QRectF& rect, const QString& text, Qt::Alignment alignment)
{
    CellWriter(p, p.font()).draw(rect, text, alignment);
}

} // namespace zq
