#include "paint/Markup.h"

#include "Text.h"
#include "paint/Scaling.h"
#include "paint/StrToInt.h"

#include <algorithm>
#include <vector>

namespace miran::paint {
namespace {

enum class Mode { Draw, Width, Height, LinkSearch };
enum class Alignment { Left, Right, Center };
enum class Script { Normal, Super, Sub };

constexpr char kLineBreak = '\n';

int ClampedExtent(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, -kMaxMarkupExtent, kMaxMarkupExtent));
}

// A scaled font size, rounded; the scale (the script ratio) can be any double.
int ClampedFontSize(double size) {
    if (!(size >= 1)) // NaN included
        return 1;
    return RoundHalfEven(std::min(size, double(kMaxMarkupFontSize)));
}

void SetFontSize(Font& font, int size) {
    font.size = std::clamp(size, 1, kMaxMarkupFontSize);
}

// The character at index, or none beyond the end.
char At(std::string_view text, std::size_t index) {
    return index < text.size() ? text[index] : '\0';
}

std::vector<std::string> SplitIntoLines(std::string_view caption) {
    std::string text = ReplaceAllNoCase(caption, "&amp;", "&");
    text = ReplaceAllNoCase(text, "&quot;", "\"");
    text = ReplaceAllNoCase(text, "&reg;", "\u00AE");
    text = ReplaceAllNoCase(text, "&copy;", "\u00A9");
    text = ReplaceAllNoCase(text, "&trade;", "\u2122");
    text = ReplaceAllNoCase(text, "&euro;", "\u20AC");
    text = ReplaceAllNoCase(text, "&nbsp;", " ");
    // Line breaks typed into the text do not break lines; only the tags do.
    std::erase(text, '\r');
    std::erase(text, '\n');
    text = ReplaceAllNoCase(text, "<BR>", std::string(1, kLineBreak));
    text = ReplaceAllNoCase(text, "<HR>", std::string("<HR>") + kLineBreak);
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    for (std::size_t end = text.find(kLineBreak); end != std::string::npos;
         end = text.find(kLineBreak, start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    // A final break ends the last line, it does not start a new one.
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// The value of attribute name inside a tag. The name is found as a plain substring, so
// "COLOR" also matches inside "BGCOLOR"; a quote anywhere after the name delimits the value.
std::string FindAttribute(std::string_view tag, std::string_view name) {
    const std::size_t at = FindNoCase(tag, name);
    if (at == std::string_view::npos)
        return {};
    const std::string_view rest = tag.substr(at + name.size());
    for (char quote : {'"', '\''}) {
        const std::size_t open = rest.find(quote);
        if (open != std::string_view::npos) {
            const std::size_t close = rest.find(quote, open + 1);
            return std::string(rest.substr(open + 1, close == std::string_view::npos ? std::string_view::npos
                                                                                     : close - open - 1));
        }
    }
    std::string_view value = Trimmed(rest);
    value = Trimmed(value.substr(std::min<std::size_t>(1, value.size())));
    return std::string(value.substr(0, value.find(' ')));
}

// A colour written in a tag: an identifier such as clRed, or a number where "#" stands for "$".
TColor TagColor(std::string value) {
    if (value.starts_with('#'))
        value[0] = '$';
    return TColor::FromString(value);
}

// Finds the tags of one line. It remembers the last ">" it found, so that a line of many tags,
// or of many lone "<", is scanned once.
class TagScanner {
public:
    explicit TagScanner(std::string_view line) : line_(line) {}

    // The ">" that closes the tag opening at open, or npos for a lone "<".
    std::size_t CloseOf(std::size_t open) {
        if (!searched_ || (close_ != std::string_view::npos && close_ < open)) {
            close_ = line_.find('>', open);
            searched_ = true;
        }
        return close_;
    }

    // Where the next alignment tag at or after from opens; the line's size if none does.
    std::size_t NextAlignmentTag(std::size_t from) {
        for (std::size_t at = from;;) {
            const std::size_t open = line_.find('<', at);
            const std::size_t close = open == std::string_view::npos ? open : CloseOf(open);
            if (close == std::string_view::npos)
                return line_.size(); // nothing but lone "<" follows
            if (UpperAscii(At(line_, open + 1)) == 'A' && UpperAscii(At(line_, open + 2)) == 'L')
                return open;
            at = close + 1;
        }
    }

private:
    std::string_view line_;
    bool searched_ = false;
    std::size_t close_ = std::string_view::npos;
};

class MarkupPass {
public:
    MarkupPass(TextMeasure& measure, Canvas* canvas, const MarkupStyle& style, const TRect& rect,
               TOwnerDrawState state, int scale, double ratio, Mode mode, TPoint mouse)
        : measure_(measure), canvas_(canvas), style_(style), rect_(rect), state_(state), scale_(scale),
          ratio_(ratio), mode_(mode), mouse_(mouse),
          suppressColors_((state & (odSelected | odDisabled)) != 0), rememberedFontColor_(style.fontColor),
          rememberedBrushColor_(style.brushColor), startFontSize_(style.font.size),
          clearBackground_(style.brushClear && !suppressColors_), y_(rect.Top) {}

    void Run(std::string_view text) {
        const std::vector<std::string> lines = SplitIntoLines(text);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            lastLine_ = i == lines.size() - 1;
            ProcessLine(lines[i]);
        }
        if (!lines.empty()) {
            maxWidth_ = std::max(maxWidth_, x_);
            totalHeight_ = y_ + TextHeight();
        }
    }

    int MaxWidth() const { return maxWidth_; }
    int TotalHeight() const { return totalHeight_; }
    const std::optional<std::string>& Link() const { return foundLink_; }

private:
    int TextHeight() const { return measure_.TextHeight(style_.font); }

    std::int64_t Scaled(int value) const {
        return (state_ & odReserved1) ? MulDivRound(value, scale_, 100) : value;
    }

    // Walks the line by position (never rebuilding the rest of it), so that a line is
    // processed in time linear in its length whatever its tags.
    void ProcessLine(std::string_view line) {
        TagScanner tags(line);
        x_ = AlignmentOffset(line, 0);
        std::string pending;
        std::size_t at = 0;
        while (at < line.size()) {
            const std::size_t bracket = line.find('<', at);
            const std::size_t segmentEnd = bracket == std::string_view::npos ? line.size() : bracket;
            pending = ReplaceAllNoCase(line.substr(at, segmentEnd - at), "&lt;", "<");
            pending = ReplaceAllNoCase(pending, "&gt;", ">");
            at = segmentEnd;
            if (bracket != std::string_view::npos) {
                Output(pending);
                pending.clear();
                const std::size_t close = tags.CloseOf(bracket);
                if (close != std::string_view::npos)
                    InterpretTag(line, bracket, close);
                at = close == std::string_view::npos ? bracket + 1 : close + 1; // a lone "<" is an empty tag
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
    int AlignmentOffset(std::string_view line, std::size_t from) {
        if (alignment_ == Alignment::Left)
            return 0;
        const std::string_view text = line.substr(from, TagScanner(line).NextAlignmentTag(from) - from);
        const int free = rect_.Width() - MeasureMarkupWidth(measure_, style_, rect_, 0, 100, ratio_, text);
        return std::max(0, alignment_ == Alignment::Right ? free : free / 2);
    }

    void Output(const std::string& segment) {
        if (segment.empty())
            return;
        const int size = style_.font.size;
        if (script_ != Script::Normal)
            SetFontSize(style_.font, ClampedFontSize(size * ratio_));
        const int width = ClampedExtent(measure_.TextWidth(segment, style_.font));
        const int height = TextHeight();
        const int top = script_ == Script::Sub ? rect_.Bottom - height - 1 : y_;
        if (inLink_ && !foundLink_ && (mouse_.X > 0 || mouse_.Y > 0) && mouse_.Y >= top &&
            mouse_.Y <= top + height && mouse_.X >= x_ && mouse_.X <= x_ + width) {
            foundLink_ = linkTarget_;
            if (!suppressColors_)
                style_.fontColor = clRed;
        }
        if (mode_ == Mode::Draw)
            DrawSegment(segment, {rect_.Left + x_, top, rect_.Left + x_ + width, top + height});
        x_ = ClampedExtent(std::int64_t{x_} + width);
        SetFontSize(style_.font, size);
    }

    void DrawSegment(const std::string& segment, const TRect& cell) {
        if (clearBackground_)
            style_.brushClear = true;
        if (!style_.brushClear)
            canvas_->FillRect(cell, style_.brushColor);
        canvas_->DrawText({cell.Left, cell.Top}, segment, style_.font, style_.fontColor);
    }

    // The tag runs from "<" at open to ">" at close; the characters after "<" decide which
    // tag it is, even when the third one lies beyond the closing ">".
    void InterpretTag(std::string_view line, std::size_t open, std::size_t close) {
        const std::string_view tag = line.substr(open + 1, close - open - 1);
        const char c1 = UpperAscii(At(line, open + 1));
        const char c2 = UpperAscii(At(line, open + 2));
        const char c3 = UpperAscii(At(line, open + 3));
        Font& font = style_.font;
        if (c1 == '/') {
            if (c2 == 'B') {
                font.bold = false;
            } else if (c2 == 'I') {
                font.italic = false;
            } else if (c2 == 'U') {
                font.underline = false;
            } else if (c2 == 'S') {
                script_ = Script::Normal;
                font.strikeOut = false;
            } else if (c2 == 'A') {
                if (inLink_) {
                    font = linkFont_;
                    style_.fontColor = linkFontColor_;
                }
                inLink_ = false;
            } else if (c2 == 'F' && !suppressColors_) {
                style_.fontColor = rememberedFontColor_;
                SetBrushColor(rememberedBrushColor_);
                SetFontSize(font, startFontSize_);
                clearBackground_ = true;
            }
        } else if (c1 == 'B') {
            font.bold = true;
        } else if (c1 == 'I' && c2 == 'N') {
            x_ = ClampedExtent(Scaled(StrToInt(FindAttribute(tag, "IND"))));
        } else if (c1 == 'I') {
            font.italic = true;
        } else if (c1 == 'U') {
            font.underline = true;
        } else if (c1 == 'S') {
            if (c3 == 'P') {
                script_ = Script::Super;
            } else if (c3 == 'B') {
                script_ = Script::Sub;
            } else {
                script_ = Script::Normal;
                font.strikeOut = true;
            }
        } else if (c1 == 'A' && c2 == 'L') {
            const std::string upper = UpperAscii(tag);
            alignment_ = upper.find("CENTER") != std::string::npos  ? Alignment::Center
                         : upper.find("RIGHT") != std::string::npos ? Alignment::Right
                                                                    : Alignment::Left;
            x_ = 0;
            if (mode_ == Mode::Draw || mode_ == Mode::LinkSearch)
                x_ = AlignmentOffset(line, close + 1);
        } else if (c1 == 'A' && FindNoCase(tag, "HREF") != std::string_view::npos) {
            linkFont_ = font;
            linkFontColor_ = style_.fontColor;
            if (!suppressColors_)
                style_.fontColor = clBlue;
            linkTarget_ = FindAttribute(tag, "HREF");
            inLink_ = true;
        } else if (c1 == 'F' && !suppressColors_) {
            FontTag(UpperAscii(tag));
        } else if (c1 == 'H' && c2 == 'R') {
            Rule(tag, close + 1 < line.size());
        }
    }

    // Like any background colour assignment this makes the background opaque.
    void SetBrushColor(TColor c) {
        style_.brushColor = c;
        style_.brushClear = false;
    }

    void FontTag(const std::string& tag) {
        rememberedFontColor_ = style_.fontColor;
        rememberedBrushColor_ = style_.brushColor;
        const std::string color = FindAttribute(tag, "COLOR");
        if (!color.empty() && color != "CLNONE")
            style_.fontColor = TagColor(color);
        const std::string background = FindAttribute(tag, "BGCOLOR");
        if (background == "CLNONE") {
            clearBackground_ = true;
        } else if (!background.empty()) {
            SetBrushColor(TagColor(background));
            clearBackground_ = false;
        }
        const std::string size = FindAttribute(tag, "SIZE");
        const std::int64_t factor = size.empty() ? 2 : StrToInt(size);
        SetFontSize(style_.font,
                    int(std::clamp<std::int64_t>(factor * style_.font.size / 2, 1, kMaxMarkupFontSize)));
    }

    void Rule(std::string_view tag, bool textFollows) {
        const std::string size = FindAttribute(tag, "SIZE");
        const int penWidth =
            int(std::clamp<std::int64_t>(Scaled(size.empty() ? 1 : StrToInt(size)), 1, kMaxMarkupExtent));
        if (mode_ == Mode::Draw) {
            const TColor pen = (state_ & odDisabled) ? style_.fontColor : style_.penColor;
            const int top = y_ + TextHeight() - (penWidth - 1) / 2;
            canvas_->FillRect({rect_.Left, top, rect_.Right, top + penWidth}, pen);
        }
        y_ = ClampedExtent(std::int64_t{y_} + penWidth + 1);
        if (!lastLine_ || textFollows)
            EndLine();
    }

    TextMeasure& measure_;
    Canvas* const canvas_; // only while drawing
    MarkupStyle style_;
    const TRect rect_;
    const TOwnerDrawState state_;
    const int scale_;
    const double ratio_;
    const Mode mode_;
    const TPoint mouse_;
    const bool suppressColors_;

    TColor rememberedFontColor_;
    TColor rememberedBrushColor_;
    const int startFontSize_;
    Font linkFont_;
    TColor linkFontColor_ = clBlack;

    bool clearBackground_;
    bool lastLine_ = false;
    int x_ = 0;
    int y_;
    int maxWidth_ = 0;
    int totalHeight_ = 0;
    Alignment alignment_ = Alignment::Left;
    Script script_ = Script::Normal;
    bool inLink_ = false;
    std::string linkTarget_;
    std::optional<std::string> foundLink_;
};

} // namespace

std::optional<std::string> DrawMarkup(Canvas& canvas, const MarkupStyle& style, const TRect& rect,
                                      TOwnerDrawState state, int scale, double ratio, std::string_view text,
                                      TPoint mouse) {
    MarkupPass pass(canvas, &canvas, style, rect, state, scale, ratio, Mode::Draw, mouse);
    pass.Run(text);
    return pass.Link();
}

int MeasureMarkupWidth(TextMeasure& measure, const MarkupStyle& style, const TRect& rect,
                       TOwnerDrawState state, int scale, double ratio, std::string_view text) {
    MarkupPass pass(measure, nullptr, style, rect, state, scale, ratio, Mode::Width, {});
    pass.Run(text);
    return pass.MaxWidth();
}

int MeasureMarkupHeight(TextMeasure& measure, const MarkupStyle& style, TOwnerDrawState state, int scale,
                        double ratio, std::string_view text) {
    MarkupPass pass(measure, nullptr, style, TRect{}, state, scale, ratio, Mode::Height, {});
    pass.Run(text);
    if (pass.TotalHeight() == 0)
        return measure.TextHeight(style.font) + 1;
    return pass.TotalHeight() + 1;
}

std::optional<std::string> FindMarkupLink(TextMeasure& measure, const MarkupStyle& style, const TRect& rect,
                                          TOwnerDrawState state, int scale, double ratio,
                                          std::string_view text, TPoint point) {
    MarkupPass pass(measure, nullptr, style, rect, state, scale, ratio, Mode::LinkSearch, point);
    pass.Run(text);
    return pass.Link();
}

} // namespace miran::paint
