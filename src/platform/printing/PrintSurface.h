#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

// A failure while drawing (no printer, a job that cannot start, a footer file that cannot be read): the printouts
// stop drawing and end the document with what was drawn.
struct PrintFailure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

struct PrintFont
{
    QString name = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool italic = false;
};

// The page the printouts draw on, in twips from the page's top left, with a current position that printing
// moves on: text is placed with its top edge at the current y. The top origin is shifted, so every y lands
// OriginShift twips lower on the paper than the printouts say.
class PrintSurface
{
public:
    static constexpr double OriginShift = 400;

    virtual ~PrintSurface() = default;

    PrintFont font() const { return m_font; }
    void setFont(const PrintFont &font);

    double currentX = 0;
    double currentY = 0;

    // The printable page, W and H.
    virtual double pageWidth() const = 0;
    virtual double pageHeight() const = 0;
    virtual double textWidth(const QString &text) const = 0;
    virtual double lineHeight() const = 0;
    // The lines text takes when wrapped to width in the current font, as a multi-line text box wraps it: at word
    // boundaries, inside a word wider than width, and at line breaks in the text. Blanks at a line's start are
    // kept. An empty text is one empty line.
    virtual QStringList wrap(const QString &text, double width) const = 0;

    // Prints at the current position; endLine moves to the start of the next line, otherwise the position
    // stays at the end of the text.
    void print(const QString &text, bool endLine);
    void line(double x1, double y1, double x2, double y2);
    // Text is always placed by its top left corner, the one alignment the printouts ask for; the call stays so
    // that a printout says where it relies on it.
    enum class TextAlign { LeftTop };
    void setTextAlign(TextAlign) {}
    // Ends the document: what was drawn goes to the printer as one job, and further output starts a new one.
    void endDoc();

protected:
    virtual void applyFont(const PrintFont &font) = 0;
    // Positions on the paper, the origin shift included.
    virtual void drawText(double x, double y, const QString &text) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    virtual void endDocument() = 0;

private:
    PrintFont m_font;
};
