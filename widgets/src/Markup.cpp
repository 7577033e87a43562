#include "widgets/Markup.h"

#include "widgets/Color.h"
#include "widgets/Scaling.h"
#include "widgets/StrToInt.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>
#include <QWidget>
#include <algorithm>

namespace miran::widgets {
namespace {

enum class Mode { Draw, Width, Height, LinkSearch };
enum class Alignment { Left, Right, Center };
enum class Script { Normal, Super, Sub };

constexpr QChar kLineBreak = u'\n';
static_assert(kMaxMarkupExtent == QWIDGETSIZE_MAX);

int ClampedExtent(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, -kMaxMarkupExtent, kMaxMarkupExtent));
}

// A scaled font size, rounded; the scale (the script ratio) can be any double.
int ClampedFontSize(double size) {
    if (!(size >= 1)) // NaN included
        return 1;
    return RoundHalfEven(std::min(size, double(kMaxMarkupFontSize)));
}

QString ReplaceAll(QString text, const QString& from, const QString& to) {
    return text.replace(from, to, Qt::CaseInsensitive);
}

QStringList SplitIntoLines(QString text) {
    text = ReplaceAll(text, QStringLiteral("&amp;"), QStringLiteral("&"));
    text = ReplaceAll(text, QStringLiteral("&quot;"), QStringLiteral("\""));
    text = ReplaceAll(text, QStringLiteral("&reg;"), QStringLiteral("\u00AE"));
    text = ReplaceAll(text, QStringLiteral("&copy;"), QStringLiteral("\u00A9"));
    text = ReplaceAll(text, QStringLiteral("&trade;"), QStringLiteral("\u2122"));
    text = ReplaceAll(text, QStringLiteral("&euro;"), QStringLiteral("\u20AC"));
    text = ReplaceAll(text, QStringLiteral("&nbsp;"), QStringLiteral(" "));
    // Line breaks typed into the text do not break lines; only the tags do.
    text.remove(QStringLiteral("\r\n"));
    text.remove(u'\r');
    text.remove(u'\n');
    text = ReplaceAll(text, QStringLiteral("<BR>"), QString(kLineBreak));
    text = ReplaceAll(text, QStringLiteral("<HR>"), QStringLiteral("<HR>") + kLineBreak);
    QStringList lines = text.split(kLineBreak);
    if (text.endsWith(kLineBreak))
        lines.removeLast(); // a final break ends the last line, it does not start a new one
    if (text.isEmpty())
        lines.clear();
    return lines;
}

// The value of attribute name inside a tag. The name is found as a plain substring, so
// "COLOR" also matches inside "BGCOLOR"; a quote anywhere after the name delimits the value.
QString FindAttribute(const QString& tag, const QString& name) {
    const qsizetype at = tag.indexOf(name, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const QString rest = tag.mid(at + name.size());
    for (QChar quote : {u'"', u'\''}) {
        const qsizetype open = rest.indexOf(quote);
        if (open >= 0) {
            const qsizetype close = rest.indexOf(quote, open + 1);
            return rest.mid(open + 1, close < 0 ? -1 : close - open - 1);
        }
    }
    const QString value = rest.trimmed().mid(1).trimmed();
    const qsizetype blank = value.indexOf(u' ');
    return blank < 0 ? value : value.left(blank);
}

int FontSize(const QFont& font) {
    return font.pointSize() > 0 ? font.pointSize() : font.pixelSize();
}

void SetFontSize(QFont& font, int size) {
    size = std::clamp(size, 1, kMaxMarkupFontSize);
    if (font.pointSize() > 0)
        font.setPointSize(size);
    else
        font.setPixelSize(size);
}

// A colour written in a tag: an identifier such as clRed, or a number where "#" stands for "$".
QColor TagColor(const QString& text, const QPalette& palette) {
    QString value = text;
    if (value.startsWith(u'#'))
        value[0] = u'$';
    return TColor::FromString(value).Resolve(palette);
}

// Finds the tags of one line. It remembers the last ">" it found, so that a line of many tags,
// or of many lone "<", is scanned once.
class TagScanner {
public:
    explicit TagScanner(const QString& line) : line_(line) {}

    // The ">" that closes the tag opening at open, or -1 for a lone "<".
    qsizetype CloseOf(qsizetype open) {
        if (close_ == kNotSearched || (close_ >= 0 && close_ < open))
            close_ = line_.indexOf(u'>', open);
        return close_;
    }

    // Where the next alignment tag at or after from opens; the line's size if none does.
    qsizetype NextAlignmentTag(qsizetype from) {
        for (qsizetype at = from;;) {
            const qsizetype open = line_.indexOf(u'<', at);
            const qsizetype close = open < 0 ? -1 : CloseOf(open);
            if (close < 0)
                return line_.size(); // nothing but lone "<" follows
            if (line_[open + 1].toUpper() == u'A' && line_[open + 2].toUpper() == u'L')
                return open;
            at = close + 1;
        }
    }

private:
    static constexpr qsizetype kNotSearched = -2;
    const QString& line_;
    qsizetype close_ = kNotSearched;
};

class MarkupPass {
public:
    MarkupPass(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state, int scale, double ratio,
               Mode mode, QPoint mouse)
        : canvas_(canvas), rect_(rect), state_(state), scale_(scale), ratio_(ratio), mode_(mode),
          mouse_(mouse), suppressColors_((state & (odSelected | odDisabled)) != 0), startFont_(canvas.font),
          startFontColor_(canvas.fontColor), startBrushColor_(canvas.brushColor),
          startBrushClear_(canvas.brushClear), rememberedFontColor_(canvas.fontColor),
          rememberedBrushColor_(canvas.brushColor), startFontSize_(FontSize(canvas.font)),
          clearBackground_(canvas.brushClear && !suppressColors_), y_(rect.top()) {}

    void Run(const QString& text) {
        const QStringList lines = SplitIntoLines(text);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            lastLine_ = i == lines.size() - 1;
            ProcessLine(lines[i]);
        }
        if (!lines.isEmpty()) {
            maxWidth_ = std::max(maxWidth_, x_);
            totalHeight_ = y_ + TextHeight();
        }
        canvas_.font = startFont_;
        canvas_.fontColor = startFontColor_;
        canvas_.brushColor = startBrushColor_;
        canvas_.brushClear = startBrushClear_;
    }

    int MaxWidth() const { return maxWidth_; }
    int TotalHeight() const { return totalHeight_; }
    const std::optional<QString>& Link() const { return foundLink_; }

private:
    int TextHeight() const { return QFontMetrics(canvas_.font).height(); }

    std::int64_t Scaled(int value) const {
        return (state_ & odReserved1) ? MulDivRound(value, scale_, 100) : value;
    }

    // Walks the line by position (never rebuilding the rest of it), so that a line is
    // processed in time linear in its length whatever its tags.
    void ProcessLine(const QString& line) {
        TagScanner tags(line);
        x_ = AlignmentOffset(line, 0);
        QString pending;
        qsizetype at = 0;
        while (at < line.size()) {
            const qsizetype bracket = line.indexOf(u'<', at);
            const qsizetype segmentEnd = bracket < 0 ? line.size() : bracket;
            pending = ReplaceAll(line.mid(at, segmentEnd - at), QStringLiteral("&lt;"), QStringLiteral("<"));
            pending = ReplaceAll(pending, QStringLiteral("&gt;"), QStringLiteral(">"));
            at = segmentEnd;
            if (bracket >= 0) {
                Output(pending);
                pending.clear();
                const qsizetype close = tags.CloseOf(bracket);
                if (close >= 0)
                    InterpretTag(line, bracket, close);
                at = close < 0 ? bracket + 1 : close + 1; // a lone "<" is an empty tag
            }
        }
        Output(pending);
        if (!lastLine_)
            EndLine();
    }

    void EndLine() {
        maxWidth_ = std::max(maxWidth_, x_);
        x_ = 0;
        y_ = ClampedExtent(std::int64_t{y_} + TextHeight());
    }

    // The offset for the text from position from up to the next alignment tag, which sets
    // its own offset for what follows it.
    int AlignmentOffset(const QString& line, qsizetype from) {
        if (alignment_ == Alignment::Left)
            return 0;
        MarkupCanvas measuring = canvas_;
        measuring.painter = nullptr;
        const QString text = line.mid(from, TagScanner(line).NextAlignmentTag(from) - from);
        const int free = rect_.width() - MeasureMarkupWidth(measuring, rect_, 0, 100, ratio_, text);
        return std::max(0, alignment_ == Alignment::Right ? free : free / 2);
    }

    void Output(const QString& segment) {
        if (segment.isEmpty())
            return;
        const int size = FontSize(canvas_.font);
        if (script_ != Script::Normal)
            SetFontSize(canvas_.font, ClampedFontSize(size * ratio_));
        const QFontMetrics metrics(canvas_.font);
        const int width = ClampedExtent(metrics.horizontalAdvance(segment));
        const int height = metrics.height();
        const int top = script_ == Script::Sub ? rect_.top() + rect_.height() - height - 1 : y_;
        if (inLink_ && !foundLink_ && (mouse_.x() > 0 || mouse_.y() > 0) && mouse_.y() >= top &&
            mouse_.y() <= top + height && mouse_.x() >= x_ && mouse_.x() <= x_ + width) {
            foundLink_ = linkTarget_;
            if (!suppressColors_)
                canvas_.fontColor = Qt::red;
        }
        if (mode_ == Mode::Draw)
            DrawSegment(segment, QRect(rect_.left() + x_, top, width, height), metrics.ascent());
        x_ = ClampedExtent(std::int64_t{x_} + width);
        SetFontSize(canvas_.font, size);
    }

    void DrawSegment(const QString& segment, const QRect& cell, int ascent) {
        if (clearBackground_)
            canvas_.brushClear = true;
        QPainter& painter = *canvas_.painter;
        if (!canvas_.brushClear)
            painter.fillRect(cell, canvas_.brushColor);
        painter.setFont(canvas_.font);
        painter.setPen(canvas_.fontColor);
        painter.drawText(cell.left(), cell.top() + ascent, segment);
    }

    // The tag runs from "<" at open to ">" at close; the characters after "<" decide which
    // tag it is, even when the third one lies beyond the closing ">".
    void InterpretTag(const QString& line, qsizetype open, qsizetype close) {
        const QString tag = line.mid(open + 1, close - open - 1);
        auto at = [&](qsizetype i) { return open + i < line.size() ? line[open + i].toUpper() : QChar(); };
        const QChar c1 = at(1), c2 = at(2), c3 = at(3);
        QFont& font = canvas_.font;
        if (c1 == u'/') {
            if (c2 == u'B') {
                font.setBold(false);
            } else if (c2 == u'I') {
                font.setItalic(false);
            } else if (c2 == u'U') {
                font.setUnderline(false);
            } else if (c2 == u'S') {
                script_ = Script::Normal;
                font.setStrikeOut(false);
            } else if (c2 == u'A') {
                if (inLink_) {
                    canvas_.font = linkFont_;
                    canvas_.fontColor = linkFontColor_;
                }
                inLink_ = false;
            } else if (c2 == u'F' && !suppressColors_) {
                canvas_.fontColor = rememberedFontColor_;
                canvas_.setBrushColor(rememberedBrushColor_);
                SetFontSize(font, startFontSize_);
                clearBackground_ = true;
            }
        } else if (c1 == u'B') {
            font.setBold(true);
        } else if (c1 == u'I' && c2 == u'N') {
            x_ = ClampedExtent(Scaled(StrToInt(FindAttribute(tag, QStringLiteral("IND")))));
        } else if (c1 == u'I') {
            font.setItalic(true);
        } else if (c1 == u'U') {
            font.setUnderline(true);
        } else if (c1 == u'S') {
            if (c3 == u'P') {
                script_ = Script::Super;
            } else if (c3 == u'B') {
                script_ = Script::Sub;
            } else {
                script_ = Script::Normal;
                font.setStrikeOut(true);
            }
        } else if (c1 == u'A' && c2 == u'L') {
            const QString upper = tag.toUpper();
            alignment_ = upper.contains(QStringLiteral("CENTER"))  ? Alignment::Center
                         : upper.contains(QStringLiteral("RIGHT")) ? Alignment::Right
                                                                   : Alignment::Left;
            x_ = 0;
            if (mode_ == Mode::Draw || mode_ == Mode::LinkSearch)
                x_ = AlignmentOffset(line, close + 1);
        } else if (c1 == u'A' && tag.contains(QStringLiteral("HREF"), Qt::CaseInsensitive)) {
            linkFont_ = font;
            linkFontColor_ = canvas_.fontColor;
            if (!suppressColors_)
                canvas_.fontColor = Qt::blue;
            linkTarget_ = FindAttribute(tag, QStringLiteral("HREF"));
            inLink_ = true;
        } else if (c1 == u'F' && !suppressColors_) {
            FontTag(tag.toUpper());
        } else if (c1 == u'H' && c2 == u'R') {
            Rule(tag, close + 1 < line.size());
        }
    }

    void FontTag(const QString& tag) {
        rememberedFontColor_ = canvas_.fontColor;
        rememberedBrushColor_ = canvas_.brushColor;
        const QString color = FindAttribute(tag, QStringLiteral("COLOR"));
        if (!color.isEmpty() && color != QLatin1String("CLNONE"))
            canvas_.fontColor = TagColor(color, canvas_.palette);
        const QString background = FindAttribute(tag, QStringLiteral("BGCOLOR"));
        if (background == QLatin1String("CLNONE")) {
            clearBackground_ = true;
        } else if (!background.isEmpty()) {
            canvas_.setBrushColor(TagColor(background, canvas_.palette));
            clearBackground_ = false;
        }
        const QString size = FindAttribute(tag, QStringLiteral("SIZE"));
        const std::int64_t factor = size.isEmpty() ? 2 : StrToInt(size);
        SetFontSize(canvas_.font, int(std::clamp<std::int64_t>(factor * FontSize(canvas_.font) / 2, 1,
                                                               kMaxMarkupFontSize)));
    }

    void Rule(const QString& tag, bool textFollows) {
        const QString size = FindAttribute(tag, QStringLiteral("SIZE"));
        const int penWidth =
            int(std::clamp<std::int64_t>(Scaled(size.isEmpty() ? 1 : StrToInt(size)), 1, kMaxMarkupExtent));
        if (mode_ == Mode::Draw) {
            const QColor pen = (state_ & odDisabled) ? canvas_.fontColor : canvas_.penColor;
            const int y = y_ + TextHeight();
            canvas_.painter->fillRect(QRect(rect_.left(), y - (penWidth - 1) / 2, rect_.width(), penWidth),
                                      pen);
        }
        y_ = ClampedExtent(std::int64_t{y_} + penWidth + 1);
        if (!lastLine_ || textFollows)
            EndLine();
    }

    MarkupCanvas& canvas_;
    const QRect rect_;
    const TOwnerDrawState state_;
    const int scale_;
    const double ratio_;
    const Mode mode_;
    const QPoint mouse_;
    const bool suppressColors_;

    const QFont startFont_;
    const QColor startFontColor_;
    const QColor startBrushColor_;
    const bool startBrushClear_;
    QColor rememberedFontColor_;
    QColor rememberedBrushColor_;
    const int startFontSize_;
    QFont linkFont_;
    QColor linkFontColor_;

    bool clearBackground_;
    bool lastLine_ = false;
    int x_ = 0;
    int y_;
    int maxWidth_ = 0;
    int totalHeight_ = 0;
    Alignment alignment_ = Alignment::Left;
    Script script_ = Script::Normal;
    bool inLink_ = false;
    QString linkTarget_;
    std::optional<QString> foundLink_;
};

} // namespace

std::optional<QString> DrawMarkup(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state, int scale,
                                  double ratio, const QString& text, QPoint mouse) {
    MarkupPass pass(canvas, rect, state, scale, ratio, Mode::Draw, mouse);
    pass.Run(text);
    return pass.Link();
}

int MeasureMarkupWidth(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state, int scale,
                       double ratio, const QString& text) {
    MarkupPass pass(canvas, rect, state, scale, ratio, Mode::Width, {});
    pass.Run(text);
    return pass.MaxWidth();
}

int MeasureMarkupHeight(MarkupCanvas& canvas, TOwnerDrawState state, int scale, double ratio,
                        const QString& text) {
    MarkupPass pass(canvas, QRect(), state, scale, ratio, Mode::Height, {});
    pass.Run(text);
    if (pass.TotalHeight() == 0)
        return QFontMetrics(canvas.font).height() + 1;
    return pass.TotalHeight() + 1;
}

std::optional<QString> FindMarkupLink(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state,
                                      int scale, double ratio, const QString& text, QPoint point) {
    MarkupPass pass(canvas, rect, state, scale, ratio, Mode::LinkSearch, point);
    pass.Run(text);
    return pass.Link();
}

} // namespace miran::widgets
