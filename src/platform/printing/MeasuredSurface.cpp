#include "platform/printing/MeasuredSurface.h"

#include <QFontMetricsF>
#include <QTextLayout>

void MeasuredSurface::applyFont(const PrintFont &font)
{
    m_font = QFont(font.name);
    m_font.setPixelSize(qRound(font.size * 20));
    m_font.setBold(font.bold);
    m_font.setItalic(font.italic);
    m_font.setHintingPreference(QFont::PreferNoHinting);
}

double MeasuredSurface::textWidth(const QString &text) const
{
    return QFontMetricsF(m_font).horizontalAdvance(text);
}

double MeasuredSurface::lineHeight() const
{
    return QFontMetricsF(m_font).height();
}

QStringList MeasuredSurface::wrap(const QString &text, double width) const
{
    QStringList lines;
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    for (const QString &paragraph : normalized.split(u'\n')) {
        QTextLayout layout(paragraph, m_font);
        QTextOption option;
        // As a multi-line edit box wraps: at word boundaries, and inside a word too long for the width.
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(width);
        layout.endLayout();
        if (layout.lineCount() == 0)
            lines.append(QString());
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            // Blanks at a line's start are kept; those a wrap leaves at a line's end are not shown.
            QString text = paragraph.mid(line.textStart(), line.textLength());
            while (i + 1 < layout.lineCount() && !text.isEmpty() && text.back().isSpace())
                text.chop(1);
            lines.append(text);
        }
    }
    return lines;
}
